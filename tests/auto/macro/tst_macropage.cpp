#include "ModalDialogDriver.h"
#include "TestHome.h"
#include "UnwritableFolder.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "device/MacroRecord.h"
#include "ui/macro/Macro.h"
#include "ui/macro/MacroExchangeFile.h"
#include "ui/macro/MacroFolder.h"
#include "ui/macro/MacroRecorder.h"
#include "ui/macro/MacroRecordCodec.h"
#include "ui/sensor/MyConmboBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// An image whose record 0 holds the macro `name` with `rows`, on a macro button.
FlashDataMap imageWithMacro(const QString& name, const QVector<MacroRow>& rows)
{
    FlashDataMap image{};
    MacroRecordCodec::build(name, rows, &image.macros[0]);
    image.buttons[0] = ButtonMapping{ButtonMapping::kMacroType, 0, 1};
    return image;
}

} // namespace

// The macro page as a person uses it: choosing, editing, saving, naming,
// importing and exporting macros, and recording from key reports.
class TestMacroPage : public QObject
{
    Q_OBJECT

private:
    TestHome m_home;
    std::unique_ptr<Macro> m_page;
    QString m_folder;
    QString m_macroIni;

    template <typename T>
    T* child(const char* name) const
    {
        T* w = m_page->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no child %s", name);
        return w;
    }
    QListWidget* macros() const { return child<QListWidget>("listWidgetHong"); }
    QListWidget* events() const { return child<QListWidget>("listWidgetKey"); }

    QStringList shownEvents() const
    {
        QStringList out;
        for (int i = 0; i < events()->count(); ++i)
            out << (events()->item(i)->type() == 1 ? "-" : events()->item(i)->text().contains("ms") ? "" : "+")
                       + events()->item(i)->text();
        return out;
    }

    QStringList shownMacros() const
    {
        QStringList out;
        for (int i = 0; i < macros()->count(); ++i)
            out << macros()->item(i)->text();
        return out;
    }

    void rebuild()
    {
        m_page.reset(new Macro);
        m_page->move(100, 100);
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    }

    void select(const QString& name)
    {
        const QList<QListWidgetItem*> found = macros()->findItems(name, Qt::MatchExactly);
        QVERIFY2(found.size() == 1, qPrintable(name));
        macros()->setCurrentItem(found.first());
        const QRect r = macros()->visualItemRect(found.first());
        QTest::mouseClick(macros()->viewport(), Qt::LeftButton, {}, r.center());
    }

    void choose(int entry)
    {
        auto* box = child<MyConmboBox>("ChooseEvent");
        box->setCurrentIndex(entry);
        emit box->activated(entry);
    }

    // Answers the name dialog with `typed` (or cancels it when empty).
    void answerName(ModalDialogDriver& driver, const QString& typed)
    {
        driver.expect("QuestionDialog", [typed](QWidget* d) {
            if (typed.isEmpty()) {
                ModalDialogDriver::click(d, "CloseButton");
                return;
            }
            QTest::keyClicks(d->findChild<QLineEdit*>(), typed);
            ModalDialogDriver::click(d, "NewHong");
        });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
        ConfigSettings::resetForTests();
        LanguageTables::load();
        g_LanguageIndex = 0;
        m_folder = MacroFolder::defaultPath();
        m_macroIni = AppPaths::macroIniPath();
        QVERIFY(QDir().mkpath(m_folder));
    }

    void init()
    {
        QDir(m_folder).removeRecursively();
        QVERIFY(QDir().mkpath(m_folder));
        writeFile(m_macroIni, "[Language]\nLanguage=0\n");
        g_MacroRecording = false;
        Macro::setFileChooser(nullptr);
        rebuild();
    }

    void cleanup()
    {
        m_page.reset();
        g_MacroRecording = false;
    }

    void listShowsMacroFilesOnly()
    {
        m_page.reset();
        for (const char* f : {"b.ini", "A.ini", "xml tricks.ini", "Macro.xml", "notes.txt", ".hidden.ini"})
            writeFile(m_folder + "/" + f, "1\n");
        rebuild();
        QCOMPARE(shownMacros(), (QStringList{"A", "b", "xml tricks"}));
    }

    void saveWritesTheFile_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QByteArray>("expected");
        // Steps: "+X" press of key X, "-X" release, "<n>ms" pause, "click<k>" mouse entry k of the
        // insert choice, "count<n>" repeat count n, "until" 253, "loose" 254, "click" 255.
        QTest::newRow("A held, once") << "+A 10ms -A" << QByteArray("1\n0x04 1 0\n10ms\n0x04 1 1\n");
        QTest::newRow("shifted 1, 250 times") << "count250 +LShift 5ms +1 65535ms -1 0ms -LShift"
                                              << QByteArray("250\n0x02 0 0\n5ms\n0x1E 1 0\n65535ms\n0x1E 1 1\n0ms\n0x02 0 1\n");
        QTest::newRow("forward click, until any key") << "until click7"
                                                       << QByteArray("253\n0x10 4 0\n10ms\n0x10 4 1\n");
        QTest::newRow("back click after Tab, while held")
            << "loose +Tab 20ms -Tab click8"
            << QByteArray("254\n0x2B 1 0\n20ms\n0x2B 1 1\n10ms\n0x08 4 0\n10ms\n0x08 4 1\n");
        QTest::newRow("nothing, until clicked again") << "clickmode" << QByteArray("255\n");
        QTest::newRow("Clear key and arrows") << "count2 + 10ms +→ 10ms -←"
                                              << QByteArray("2\n0x00 1 0\n10ms\n0x4F 1 0\n10ms\n0x50 1 1\n");
    }

    void saveWritesTheFile()
    {
        QFETCH(QString, steps);
        QFETCH(QByteArray, expected);
        writeFile(m_folder + "/m.ini", "");
        m_page->LoadMacroList();
        select("m");
        for (const QString& step : steps.split(' ')) {
            if (step.startsWith("count")) {
                child<QCheckBox>("ReNumber")->click();
                child<QSpinBox>("NumberEdit")->setValue(step.mid(5).toInt());
            } else if (step == "until") {
                child<QCheckBox>("ReUntil")->click();
            } else if (step == "loose") {
                child<QCheckBox>("ReUntilLoose")->click();
            } else if (step == "clickmode") {
                child<QCheckBox>("ReUntilClick")->click();
            } else if (step.startsWith("click")) {
                events()->setCurrentRow(events()->count() - 1);
                choose(step.mid(5).toInt());
            } else if (step.endsWith("ms")) {
                m_page->AddDelayItem(step.chopped(2).toDouble());
            } else {
                m_page->AddKeyItem(step.mid(1), step.startsWith('+'));
            }
        }
        const QStringList shownBefore = shownEvents();
        QSignalSpy saved(PostMsg::GetInstance(), SIGNAL(SigUpDataMacro(QString, int)));
        auto* save = child<QToolButton>("Save");
        save->setEnabled(true);
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(fileBytes(m_folder + "/m.ini"), expected);
        QVERIFY(!save->isEnabled());
        const int savedOnce = saved.size();

        // Selecting it again shows what was saved, without counting as a change.
        select("m");
        QCOMPARE(shownEvents(), shownBefore);
        QVERIFY(!save->isEnabled());
        m_page->on_Save_clicked();
        QCOMPARE(fileBytes(m_folder + "/m.ini"), expected);
        QCOMPARE(saved.size(), savedOnce);
    }

    void saveSignals()
    {
        writeFile(m_folder + "/s.ini", "3\n0x04 1 0\n10ms\n0x04 1 1\n");
        m_page->LoadMacroList();
        select("s");
        QCOMPARE(shownEvents(), (QStringList{"+A", "10ms", "-A"}));
        QCOMPARE(child<QSpinBox>("NumberEdit")->value(), 3);
        QVERIFY(!child<QToolButton>("Save")->isEnabled());

        QSignalSpy saved(PostMsg::GetInstance(), SIGNAL(SigUpDataMacro(QString, int)));
        m_page->on_Save_clicked();
        QCOMPARE(saved.size(), 0);  // loading changed nothing

        choose(4);  // left click
        child<QCheckBox>("ReUntil")->click();
        QVERIFY(child<QToolButton>("Save")->isEnabled());
        m_page->on_Save_clicked();
        QCOMPARE(saved.size(), 2);
        QCOMPARE(saved.at(0), (QVariantList{"s", 0}));
        QCOMPARE(saved.at(1), (QVariantList{"s", 1}));
        m_page->on_Save_clicked();
        QCOMPARE(saved.size(), 2);
    }

    // Nothing that arrives while Save runs (a click on another macro, a device
    // image) can change which macro or which rows it writes: it takes them
    // first and writes them in one step, without running the event loop.
    void saveIsNotInterrupted()
    {
        writeFile(m_folder + "/one.ini", "1\n0x04 1 0\n10ms\n0x04 1 1\n");
        writeFile(m_folder + "/two.ini", "2\n0x05 1 0\n10ms\n0x05 1 1\n");
        m_page->LoadMacroList();
        select("one");
        choose(5);
        bool switched = false;
        QTimer::singleShot(0, this, [&] {
            switched = true;
            select("two");
            emit PostMsg::GetInstance()->SigButtonToMacro(FlashDataMap{}, 0);
        });
        m_page->on_Save_clicked();
        QVERIFY(!switched);
        QCOMPARE(fileBytes(m_folder + "/one.ini"),
                 QByteArray("1\n0x04 1 0\n10ms\n0x04 1 1\n10ms\n0x02 4 0\n10ms\n0x02 4 1\n"));
        QTRY_VERIFY(switched);
        QCOMPARE(fileBytes(m_folder + "/two.ini"), QByteArray("2\n0x05 1 0\n10ms\n0x05 1 1\n"));
    }

    void mouseRowsKeepTheirCodesAcrossLanguages()
    {
        writeFile(m_folder + "/mouse.ini", "1\n0x10 4 0\n10ms\n0x10 4 1\n");
        m_page->LoadMacroList();
        select("mouse");
        const QString english = LanguageTables::text(LanguageSection::Buttoninterface, 0, 7);
        QCOMPARE(events()->item(0)->text(), english);
        m_page->SlotAllLanguage(1);
        const QString german = LanguageTables::text(LanguageSection::Buttoninterface, 1, 7);
        QVERIFY(german != english);
        QCOMPARE(events()->item(0)->text(), german);
        m_page->on_Save_clicked();
        child<QCheckBox>("ReNumber")->click();
        child<QSpinBox>("NumberEdit")->setValue(2);
        m_page->on_Save_clicked();
        QCOMPARE(fileBytes(m_folder + "/mouse.ini"), QByteArray("2\n0x10 4 0\n10ms\n0x10 4 1\n"));
        m_page->SlotAllLanguage(0);
    }

    void newRenameDelete()
    {
        ModalDialogDriver driver;
        answerName(driver, "first");
        m_page->on_NewHong_clicked();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        QCOMPARE(shownMacros(), QStringList{"first"});
        QCOMPARE(fileBytes(m_folder + "/first.ini"), QByteArray());
        QCOMPARE(macros()->currentItem()->text(), QString("first"));

        // The same name again: the notice, nothing else.
        answerName(driver, "first");
        driver.expect("SameMacro", [](QWidget* d) { ModalDialogDriver::click(d, "CloseButton"); });
        m_page->on_NewHong_clicked();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        QCOMPARE(shownMacros(), QStringList{"first"});

        // Cancelled: nothing.
        answerName(driver, QString());
        m_page->on_NewHong_clicked();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        QCOMPARE(shownMacros(), QStringList{"first"});

        QSignalSpy renamed(PostMsg::GetInstance(), SIGNAL(SigMacroRename(QString, QString)));
        answerName(driver, "second");
        m_page->RenameMacro();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        QCOMPARE(shownMacros(), QStringList{"second"});
        QVERIFY(!QFile::exists(m_folder + "/first.ini"));
        QVERIFY(QFile::exists(m_folder + "/second.ini"));
        QCOMPARE(renamed.size(), 1);
        QCOMPARE(renamed.at(0), (QVariantList{"first", "second"}));

        // Renaming to its own name is refused with the notice.
        answerName(driver, "second");
        driver.expect("SameMacro", [](QWidget* d) { ModalDialogDriver::click(d, "CloseButton"); });
        m_page->RenameMacro();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));

        QSignalSpy deleted(PostMsg::GetInstance(), SIGNAL(SigDeleteMacroButton(QString)));
        driver.expect("DeleteConfirm", [](QWidget* d) { ModalDialogDriver::click(d, "NewHong"); });
        m_page->on_DeleteHong_clicked();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        QVERIFY(shownMacros().isEmpty());
        QVERIFY(!QFile::exists(m_folder + "/second.ini"));
        QCOMPARE(deleted.size(), 1);
        QCOMPARE(deleted.at(0).at(0).toString(),
                 LanguageTables::text(LanguageSection::Macro, 0, 19) + QStringLiteral("second"));
    }

    // Names typed by the user never reach the file system raw: the name dialog
    // drops what cannot be in a file name, the page refuses what is left over,
    // and Macro.ini stays byte for byte.
    void hostileNamesTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("up to Macro.ini") << "../../Macro";
        QTest::newRow("backslashes") << "..\\..\\Macro";
        QTest::newRow("leading dot") << ".Macro";
        QTest::newRow("dot dot") << "..";
    }

    void hostileNamesTyped()
    {
        QFETCH(QString, typed);
        const QByteArray ini = fileBytes(m_macroIni);
        const QStringList home = QDir(m_home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const QStringList data = QDir(AppPaths::dataDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        ModalDialogDriver driver;
        answerName(driver, typed);
        m_page->on_NewHong_clicked();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        for (const QString& file : QDir(m_folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
            QVERIFY2(file.endsWith(".ini") && MacroFolder::isSafeName(file.chopped(4)), qPrintable(file));
            QVERIFY(shownMacros().contains(file.chopped(4)));
        }
        QCOMPARE(fileBytes(m_macroIni), ini);
        QCOMPARE(QDir(m_home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), home);
        QCOMPARE(QDir(AppPaths::dataDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), data);
    }

    void exportImportRoundTrip()
    {
        const QByteArray original("254\n0x02 0 0\n30ms\n0x04 1 0\n500ms\n0x04 1 1\n10ms\n0x02 0 1\n10ms\n0x01 4 0\n10ms\n0x01 4 1\n");
        writeFile(m_folder + "/combo.ini", original);
        m_page->LoadMacroList();
        select("combo");
        const QStringList shown = shownEvents();
        const QString exchange = m_home.path() + "/combo-export.ini";
        Macro::setFileChooser([&](QWidget*, const QString& caption, bool save) {
            return (save && caption == "FileSave") || (!save && caption == "SelectFile") ? exchange : QString();
        });
        // Written in German, read in English: the mouse buttons stay buttons.
        m_page->SlotAllLanguage(1);
        m_page->ExPortMacro();
        m_page->SlotAllLanguage(0);
        QVERIFY(QFile::exists(exchange));

        // Importing while the name is taken: the notice, nothing else.
        ModalDialogDriver driver;
        driver.expect("SameMacro", [](QWidget* d) { ModalDialogDriver::click(d, "CloseButton"); });
        m_page->InPortMacro();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));

        driver.expect("DeleteConfirm", [](QWidget* d) { ModalDialogDriver::click(d, "NewHong"); });
        m_page->on_DeleteHong_clicked();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        child<QCheckBox>("ReNumber")->click();

        QSignalSpy bus(PostMsg::GetInstance(), SIGNAL(SigUpDataMacro(QString, int)));
        m_page->InPortMacro();
        QCOMPARE(shownMacros(), QStringList{"combo"});
        QCOMPARE(fileBytes(m_folder + "/combo.ini"), original);
        QCOMPARE(shownEvents(), shown);
        QVERIFY(child<QCheckBox>("ReUntilLoose")->isChecked());
        QCOMPARE(bus.size(), 0);
    }

    // An exchange file named without extension is written as one, so that the
    // import's filter lists it.
    void exportNameFindsTheImport()
    {
        writeFile(m_folder + "/combo.ini", "1\n0x04 1 0\n10ms\n0x04 1 1\n");
        m_page->LoadMacroList();
        select("combo");
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        Macro::setFileChooser([&](QWidget*, const QString&, bool save) {
            return save ? folder.filePath("combo-export") : QString();
        });
        m_page->ExPortMacro();
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"combo-export.ini"});
        QCOMPARE(QDir(folder.path()).entryList({"*.ini"}, QDir::Files), QStringList{"combo-export.ini"});
    }

    void badImportsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("data");
        auto exchange = [](const QByteArray& name, const QByteArray& repeat, const QByteArray& tail) {
            QByteArray d;
            auto field = [&](const QByteArray& t, int n) {
                d += QByteArray::fromHex(QByteArray::number(n, 16).rightJustified(8, '0'));
                d += t + QByteArray(n - t.size(), '\0');
            };
            field("Vemlo", 12);
            field(name, 48);
            field(repeat, 12);
            return d + tail;
        };
        QTest::newRow("name up to Macro.ini") << exchange("../../Macro", "1", QByteArray::fromHex("00000000"));
        QTest::newRow("name with backslash") << exchange("..\\..\\Macro", "1", QByteArray::fromHex("00000000"));
        QTest::newRow("truncated") << exchange("t", "1", QByteArray::fromHex("00000001000000"));
        QTest::newRow("huge count") << exchange("h", "1", QByteArray::fromHex("7fffffff"));
        QTest::newRow("bad repeat") << exchange("r", "252", QByteArray::fromHex("00000000"));
        QTest::newRow("not an exchange file") << QByteArray("1\n0x04 1 0\n");
        QTest::newRow("huge file") << QByteArray(2 * 1024 * 1024, 'x');
    }

    void badImportsAreRefused()
    {
        QFETCH(QByteArray, data);
        const QByteArray ini = fileBytes(m_macroIni);
        writeFile(m_folder + "/keep.ini", "1\n");
        m_page->LoadMacroList();
        const QString path = m_home.path() + "/bad.ini";
        writeFile(path, data);
        Macro::setFileChooser([&](QWidget*, const QString&, bool) { return path; });
        ModalDialogDriver driver;
        QString text;
        driver.expect("MacroFileRefused", [&](QWidget* d) {
            text = ModalDialogDriver::labelText(d, "label");
            ModalDialogDriver::click(d, "NewHong");
        });
        m_page->InPortMacro();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        QCOMPARE(text, LanguageTables::text(LanguageSection::Macro, 0, 25));
        QCOMPARE(shownMacros(), QStringList{"keep"});
        QCOMPARE(QDir(m_folder).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.ini"});
        QCOMPARE(fileBytes(m_macroIni), ini);
    }

    void handInsertedRowsStopAtTheLimit()
    {
        writeFile(m_folder + "/full.ini", "");
        m_page->LoadMacroList();
        select("full");
        for (int i = 0; i < 69; ++i) {
            if (i)
                m_page->AddDelayItem(10);
            m_page->AddKeyItem("A", i % 2 == 0);
        }
        ModalDialogDriver driver;
        driver.expect("KeyNumberLimit", [](QWidget* d) { ModalDialogDriver::click(d, "CloseButton"); });
        events()->setCurrentRow(events()->count() - 1);
        choose(4);  // a click is two key events: one too many
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        QCOMPARE(events()->count(), 69 * 2 - 1);
    }

    void recordingFromKeyReports()
    {
        writeFile(m_folder + "/rec.ini", "1\n0x05 1 0\n");
        m_page->LoadMacroList();
        QSignalSpy lock(PostMsg::GetInstance(), SIGNAL(SigStartRecord(int)));

        // Without a selected macro: the notice, no recording.
        ModalDialogDriver driver;
        driver.expect("ExeIsRun", [](QWidget* d) { ModalDialogDriver::click(d, "NewHong"); });
        m_page->on_StartRecord_clicked();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        QVERIFY(!g_MacroRecording);

        select("rec");
        child<QCheckBox>("DefaultDelay")->click();
        child<QSpinBox>("DelayTime")->setValue(25);
        QTest::mouseClick(child<QPushButton>("StartRecord"), Qt::LeftButton);
        QVERIFY(g_MacroRecording);
        QCOMPARE(lock.size(), 1);
        QCOMPARE(lock.at(0).at(0).toInt(), 0);
        QVERIFY(events()->count() == 0);
        QVERIFY(!macros()->isEnabled());
        QVERIFY(!child<MyConmboBox>("ChooseEvent")->isEnabled());
        QVERIFY(child<QPushButton>("StartRecord")->isHidden());
        QVERIFY(child<QSpinBox>("DelayTime")->isHidden());

        // Edits during a recording only show the stop notice.
        driver.expect("ExeIsRun", [](QWidget* d) { ModalDialogDriver::click(d, "NewHong"); });
        m_page->on_Save_clicked();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));

        m_page->UpdateCapslockTip(0xA0, true, false);  // LShift
        m_page->UpdateCapslockTip(0x41, true, false);
        m_page->UpdateCapslockTip(0x41, true, true);   // held
        m_page->UpdateCapslockTip(0x41, false, false);
        m_page->UpdateCapslockTip(0xA0, false, false);
        QCOMPARE(shownEvents(), (QStringList{"+LShift", "25ms", "+A", "25ms", "-A", "25ms", "-LShift"}));

        // Up to 70 key events, then the limit notice; the page keeps its recording look.
        driver.expect("KeyNumberLimit", [](QWidget* d) { ModalDialogDriver::click(d, "CloseButton"); });
        for (int i = 4; i < 80; ++i)
            m_page->UpdateCapslockTip(0x42, i % 2 == 0, false);
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        QVERIFY(!g_MacroRecording);
        QCOMPARE(events()->count(), 70 + 69);
        QVERIFY(child<QPushButton>("StartRecord")->isHidden());
        QCOMPARE(lock.size(), 1);

        QTest::mouseClick(child<QPushButton>("StopRecord"), Qt::LeftButton);
        QCOMPARE(lock.size(), 2);
        QCOMPARE(lock.at(1).at(0).toInt(), 1);
        QVERIFY(macros()->isEnabled());
        QVERIFY(child<QToolButton>("Save")->isEnabled());
        QVERIFY(!child<QPushButton>("StartRecord")->isHidden());
        QCOMPARE(fileBytes(m_folder + "/rec.ini"), QByteArray("1\n0x05 1 0\n"));  // unsaved until Save

        // Leaving the device ends a recording.
        QTest::mouseClick(child<QPushButton>("StartRecord"), Qt::LeftButton);
        QVERIFY(g_MacroRecording);
        PostMsg::GetInstance()->PostSetMacroPage();
        QVERIFY(!g_MacroRecording);
        QCOMPARE(lock.last().at(0).toInt(), 1);
        QVERIFY(child<MyConmboBox>("ChooseEvent")->isEnabled());
        QVERIFY(child<QToolButton>("Save")->isEnabled());  // the emptied list is not saved yet
        QVERIFY(macros()->isEnabled());
    }

    // However a recording ends, no key stays pressed in the rows it leaves:
    // keys still down are released at that moment, the last pressed first, and
    // at the limit a press whose release would not fit ends the recording
    // there. The rows are then an unsaved edit, and Save writes them.
    void recordingEndsWithEveryKeyReleased_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<bool>("shiftHeld");  // else A is typed once, nothing stays down
        QTest::addColumn<QStringList>("expected");
        const QStringList held{"+LShift", "10ms", "+A", "10ms", "-A", "10ms", "-LShift"};
        QTest::newRow("Stop clicked while Shift and A are held") << "stop" << true << held;
        QTest::newRow("limit reached on a press while Shift is held") << "limit" << true << QStringList();
        QTest::newRow("leaving the device while Shift and A are held") << "leave" << true << held;
        QTest::newRow("leaving the device, nothing held")
            << "leave" << false << QStringList{"+A", "10ms", "-A"};
        QTest::newRow("language changed, then Stop") << "language" << true << held;
        QTest::newRow("keyboard lost, then Stop") << "lost" << true << held;
    }

    void recordingEndsWithEveryKeyReleased()
    {
        QFETCH(QString, road);
        QFETCH(bool, shiftHeld);
        QFETCH(QStringList, expected);
        writeFile(m_folder + "/rec.ini", "1\n0x05 1 0\n");
        m_page->LoadMacroList();
        select("rec");
        child<QCheckBox>("DefaultDelay")->click();
        child<QSpinBox>("DelayTime")->setValue(10);
        QTest::mouseClick(child<QPushButton>("StartRecord"), Qt::LeftButton);
        QVERIFY(g_MacroRecording);
        if (shiftHeld) {
            m_page->UpdateCapslockTip(0xA0, true, false);  // LShift
            m_page->UpdateCapslockTip(0x41, true, false);
        } else {
            m_page->UpdateCapslockTip(0x41, true, false);
            m_page->UpdateCapslockTip(0x41, false, false);
        }

        ModalDialogDriver driver;
        if (road == "limit") {
            // Typing on with Shift held: A up, then B, A, B ... until the limit.
            driver.expect("KeyNumberLimit", [](QWidget* d) { ModalDialogDriver::click(d, "CloseButton"); });
            m_page->UpdateCapslockTip(0x41, false, false);
            for (int i = 1; i < 100 && g_MacroRecording; ++i) {
                const int key = i % 2 ? 0x42 : 0x41;
                m_page->UpdateCapslockTip(key, true, false);
                m_page->UpdateCapslockTip(key, false, false);
            }
            QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        } else if (road == "leave") {
            PostMsg::GetInstance()->PostSetMacroPage();
        } else {
            if (road == "language")
                m_page->SlotAllLanguage(1);
            if (road == "lost")
                emit qApp->applicationStateChanged(Qt::ApplicationInactive);
            QVERIFY(g_MacroRecording);
            QTest::mouseClick(child<QPushButton>("StopRecord"), Qt::LeftButton);
            m_page->SlotAllLanguage(0);
        }
        QVERIFY(!g_MacroRecording);

        const QStringList rows = shownEvents();
        if (!expected.isEmpty())
            QCOMPARE(rows, expected);
        QStringList down;
        int keyEvents = 0;
        for (const QString& row : rows) {
            if (row.startsWith('+'))
                down << row.mid(1);
            else if (row.startsWith('-'))
                QVERIFY2(down.removeOne(row.mid(1)), qPrintable(row));
            keyEvents += row.endsWith("ms") ? 0 : 1;
        }
        QVERIFY2(down.isEmpty(), qPrintable("still down: " + down.join(' ')));
        QVERIFY(keyEvents <= MacroRecorder::kMaxKeyEvents);
        if (road == "limit") {
            QCOMPARE(keyEvents, MacroRecorder::kMaxKeyEvents);
            QCOMPARE(rows.last(), QString("-LShift"));
        }

        // The rows are an unsaved edit: Save writes them as shown.
        auto* save = child<QToolButton>("Save");
        QVERIFY(save->isEnabled());
        QTest::mouseClick(save, Qt::LeftButton);
        QVERIFY(!save->isEnabled());
        if (road == "limit")
            QTest::mouseClick(child<QPushButton>("StopRecord"), Qt::LeftButton);
        select("rec");
        QCOMPARE(shownEvents(), rows);
    }

    // Whatever makes another macro current shows it; Save then writes that
    // macro's own rows, never the rows of the one shown before.
    void theCurrentMacroIsTheOneShown_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("right click") << "right";
        QTest::newRow("arrow key") << "down";
        QTest::newRow("left click") << "left";
    }

    void theCurrentMacroIsTheOneShown()
    {
        QFETCH(QString, how);
        const QByteArray a("1\n0x04 1 0\n10ms\n0x04 1 1\n");
        const QByteArray b("2\n0x05 1 0\n10ms\n0x05 1 1\n");
        writeFile(m_folder + "/a.ini", a);
        writeFile(m_folder + "/b.ini", b);
        m_page->LoadMacroList();
        select("a");
        choose(4);  // a left click added to a, not saved
        QListWidgetItem* target = macros()->findItems("b", Qt::MatchExactly).first();
        const QPoint at = macros()->visualItemRect(target).center();
        if (how == "down") {
            macros()->setFocus();
            QTest::keyClick(macros(), Qt::Key_Down);
        } else {
            QTest::mouseClick(macros()->viewport(), how == "right" ? Qt::RightButton : Qt::LeftButton, {}, at);
        }
        QCOMPARE(macros()->currentItem()->text(), QString("b"));
        QCOMPARE(shownEvents(), (QStringList{"+B", "10ms", "-B"}));
        QCOMPARE(child<QSpinBox>("NumberEdit")->value(), 2);
        QVERIFY(!child<QToolButton>("Save")->isEnabled());
        m_page->on_Save_clicked();
        QCOMPARE(fileBytes(m_folder + "/b.ini"), b);
        QCOMPARE(fileBytes(m_folder + "/a.ini"), a);
    }

    // "Edit event" answered after an image from the mouse reloaded the rows:
    // the answer was for a row that is gone and changes nothing.
    void editEventAfterTheRowsWereReloaded()
    {
        writeFile(m_folder + "/m.ini", "1\n0x04 1 0\n10ms\n0x04 1 1\n");
        m_page->LoadMacroList();
        select("m");
        events()->setCurrentRow(1);
        const QVector<MacroRow> mouseRows{MacroRow::key("0x05", 1, false), MacroRow::delay(30),
                                          MacroRow::key("0x05", 1, true)};
        ModalDialogDriver driver;
        driver.expect("AddDelayTime", [&](QWidget* d) {
            emit PostMsg::GetInstance()->SigButtonToMacro(imageWithMacro("m", mouseRows), 0);
            QTest::keyClicks(d->findChild<QSpinBox*>("spinBox"), "250");
            ModalDialogDriver::click(d, "NewHong");
        });
        m_page->on_Amend_clicked();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        QCOMPARE(shownEvents(), (QStringList{"+B", "30ms", "-B"}));
        QVERIFY(!child<QToolButton>("Save")->isEnabled());
        QCOMPARE(fileBytes(m_folder + "/m.ini"), QByteArray("1\n0x05 1 0\n30ms\n0x05 1 1\n"));
    }

    // "Edit event" closed without an answer changes nothing, and there is
    // nothing to save.
    void editEventLeftUnansweredChangesNothing_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("button");
        QTest::newRow("pause, closed with its cross") << 1 << "AddDelayTime" << "CloseButton";
        QTest::newRow("pause, cancelled") << 1 << "AddDelayTime" << "NewHong_2";
        QTest::newRow("key, closed with its cross") << 0 << "addKey" << "CloseButton";
        QTest::newRow("key, cancelled") << 0 << "addKey" << "NewHong_2";
    }

    void editEventLeftUnansweredChangesNothing()
    {
        QFETCH(int, row);
        QFETCH(QString, dialog);
        QFETCH(QString, button);
        const QByteArray file("1\n0x04 1 0\n10ms\n0x04 1 1\n");
        writeFile(m_folder + "/m.ini", file);
        m_page->LoadMacroList();
        select("m");
        events()->setCurrentRow(row);
        ModalDialogDriver driver;
        driver.expect(dialog, [button](QWidget* d) { ModalDialogDriver::click(d, button); });
        m_page->on_Amend_clicked();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        QCOMPARE(shownEvents(), (QStringList{"+A", "10ms", "-A"}));
        QVERIFY(!child<QToolButton>("Save")->isEnabled());
    }

    // A file put into the macro folder after the list was read is a macro of
    // that name all the same: New and Import say the name exists and leave
    // the file as it is.
    void newAndImportKeepAFileTheListDoesNotShow_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("new") << "new";
        QTest::newRow("import") << "import";
    }

    void newAndImportKeepAFileTheListDoesNotShow()
    {
        QFETCH(QString, action);
        const QString exchange = m_home.path() + "/late-export.ini";
        writeFile(m_folder + "/late.ini", "1\n0x05 1 0\n10ms\n0x05 1 1\n");
        m_page->LoadMacroList();
        select("late");
        Macro::setFileChooser([&](QWidget*, const QString&, bool) { return exchange; });
        m_page->ExPortMacro();
        QVERIFY(QFile::remove(m_folder + "/late.ini"));
        m_page->LoadMacroList();
        QVERIFY(shownMacros().isEmpty());

        // Put there while the program runs: the list does not show it.
        const QByteArray late("3\n0x04 1 0\n10ms\n0x04 1 1\n");
        writeFile(m_folder + "/late.ini", late);
        ModalDialogDriver driver;
        if (action == "new")
            answerName(driver, "late");
        driver.expect("SameMacro", [](QWidget* d) { ModalDialogDriver::click(d, "CloseButton"); });
        if (action == "new")
            m_page->on_NewHong_clicked();
        else
            m_page->InPortMacro();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        QCOMPARE(fileBytes(m_folder + "/late.ini"), late);
    }

    // A short list cleared whole is an edit: the save tells the button page.
    void clearingAShortListIsAnEdit()
    {
        writeFile(m_folder + "/s.ini", "1\n0x04 1 0\n10ms\n0x04 1 1\n");
        m_page->LoadMacroList();
        select("s");
        QSignalSpy saved(PostMsg::GetInstance(), SIGNAL(SigUpDataMacro(QString, int)));
        m_page->on_DeleteKey_clicked();
        QVERIFY(shownEvents().isEmpty());
        m_page->on_Save_clicked();
        QCOMPARE(fileBytes(m_folder + "/s.ini"), QByteArray("1\n"));
        QCOMPARE(saved.size(), 1);
        QCOMPARE(saved.at(0), (QVariantList{"s", 0}));
    }

    // A macro file that cannot be read whole is refused with the notice, and
    // neither Save nor a macro from the mouse ever writes over it.
    void filesNotReadWholeAreNeverReplaced_data()
    {
        QTest::addColumn<int>("keyRows");
        QTest::newRow("20,000 rows: too large to read") << 10000;
        QTest::newRow("7,000 rows: more events than a macro holds") << 3500;
    }

    void filesNotReadWholeAreNeverReplaced()
    {
        QFETCH(int, keyRows);
        QByteArray big("1\n");
        for (int i = 0; i < keyRows; ++i)
            big += QByteArray(i ? "5ms\n" : "") + "0x04 1 " + (i % 2 ? "1" : "0") + "\n";
        writeFile(m_folder + "/big.ini", big);
        m_page->LoadMacroList();
        const QString refused = LanguageTables::text(LanguageSection::Macro, 0, 25);
        ModalDialogDriver driver;
        QStringList texts;
        auto answer = [&](QWidget* d) {
            texts << ModalDialogDriver::labelText(d, "label");
            ModalDialogDriver::click(d, "NewHong");
        };
        driver.expect("MacroFileRefused", answer);
        select("big");
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        QVERIFY(shownEvents().isEmpty());

        driver.expect("MacroFileRefused", answer);
        choose(4);
        m_page->on_Save_clicked();
        QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        QCOMPARE(texts, (QStringList{refused, refused}));
        emit PostMsg::GetInstance()->SigButtonToMacro(imageWithMacro("big", {MacroRow::key("0x05", 1, false)}), 0);
        QCOMPARE(fileBytes(m_folder + "/big.ini"), big);
    }

    // A macro folder that cannot be written: each change says so and the list
    // keeps showing what is on disk.
    void unwritableFolderChangesNothing_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("new") << "new";
        QTest::newRow("save") << "save";
        QTest::newRow("delete") << "delete";
        QTest::newRow("rename") << "rename";
        QTest::newRow("import") << "import";
    }

    void unwritableFolderChangesNothing()
    {
        QFETCH(QString, action);
        const QByteArray kept("1\n0x04 1 0\n10ms\n0x04 1 1\n");
        writeFile(m_folder + "/kept.ini", kept);
        m_page->LoadMacroList();
        select("kept");
        const QString exchange = m_home.path() + "/other.ini";
        if (action == "import") {
            writeFile(m_folder + "/other.ini", "1\n");
            m_page->LoadMacroList();
            select("other");
            Macro::setFileChooser([&](QWidget*, const QString&, bool) { return exchange; });
            m_page->ExPortMacro();
            QVERIFY(QFile::remove(m_folder + "/other.ini"));
            m_page->LoadMacroList();
            select("kept");
        }
        const QStringList before = QDir(m_folder).entryList(QDir::Files);
        ModalDialogDriver driver;
        if (action == "new" || action == "rename")
            answerName(driver, "fresh");
        if (action == "delete")
            driver.expect("DeleteConfirm", [](QWidget* d) { ModalDialogDriver::click(d, "NewHong"); });
        QString text;
        driver.expect("MacroFileRefused", [&](QWidget* d) {
            text = ModalDialogDriver::labelText(d, "label");
            ModalDialogDriver::click(d, "NewHong");
        });
        {
            UnwritableFolder readOnly(m_folder);
            if (action == "new") {
                m_page->on_NewHong_clicked();
            } else if (action == "save") {
                choose(4);
                m_page->on_Save_clicked();
            } else if (action == "delete") {
                m_page->on_DeleteHong_clicked();
            } else if (action == "rename") {
                m_page->RenameMacro();
            } else {
                m_page->InPortMacro();
            }
            QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
        }
        QCOMPARE(text, LanguageTables::text(LanguageSection::Macro, 0, 26));
        QCOMPARE(QDir(m_folder).entryList(QDir::Files), before);
        QCOMPARE(shownMacros(), QStringList{"kept"});
        QCOMPARE(fileBytes(m_folder + "/kept.ini"), kept);
    }

    void shippedTextsFit()
    {
        QStringList cut;
        for (int language = 0; language < kLanguageCount; ++language) {
            m_page->SlotAllLanguage(language);
            for (QWidget* w : m_page->findChildren<QWidget*>()) {
                int needed = 0;
                if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap())
                    needed = label->fontMetrics().horizontalAdvance(label->text()) - label->contentsRect().width();
                else if (auto* label = qobject_cast<QLabel*>(w))
                    needed = label->heightForWidth(label->width()) - label->height();
                else if (auto* box = qobject_cast<QCheckBox*>(w))
                    needed = box->sizeHint().width() - box->width();
                else if (auto* button = qobject_cast<QAbstractButton*>(w))
                    needed = button->fontMetrics().horizontalAdvance(button->text()) + 8 - button->width();
                if (needed > 0)
                    cut << QString("%1 %2: \"%3\" lacks %4 px")
                               .arg(language)
                               .arg(w->objectName(), w->property("text").toString())
                               .arg(needed);
            }
        }
        m_page->SlotAllLanguage(0);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join('\n')));
    }
};

QTEST_MAIN(TestMacroPage)
#include "tst_macropage.moc"
