// Macros on the mouse: the button page's macro list, binding a saved macro to
// a button (the mapping and the 592-byte record in the virtual mouse), the
// macro editor answering a saved, renamed or deleted macro on every button that
// holds it, and macros found on the mouse becoming local macro files.

#include "DeviceLinkFixture.h"
#include "ImageBytes.h"
#include "ModalDialogDriver.h"
#include "UnwritableFolder.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/PostMsg.h"
#include "device/AnnotatedMutexLocker.h"
#include "device/DeviceCache.h"
#include "device/ReportHandler.h"
#include "device/WorkingImage.h"
#include "ui/buttons/Buttoninterface.h"
#include "ui/buttons/Ui_Buttoninterface.h"
#include "ui/macro/Macro.h"
#include "ui/macro/MacroFolder.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QButtonGroup>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollArea>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <sys/stat.h>

#include <memory>

using hidsim::HidSimControl;

namespace {

// m11's model keeps a multimedia key (Next track, id B5) as the sixth button's
// stored function; m8's model has the plain defaults.
const char kScenario[] = R"({ "vendorId": "3A7C", "mice": [
  {"id":"m8","cid":51,"mid":8,"usbPid":"0A01","receiverKind":1,"cable":false,"pairedTo":"r8"},
  {"id":"m11","cid":51,"mid":11,"usbPid":"0A01","receiverKind":4,"cable":false,"pairedTo":"r11"}],
 "receivers": [
  {"id":"r8","kind":1,"address":"1C0801","plugged":true},
  {"id":"r11","kind":4,"address":"4C1104","plugged":true}] })";

// Selectors top to bottom and the device button each stands for.
const char* const kSelectors[6] = {"FireKey", "RightKey", "BackKey", "StartPause", "TopMusic", "BackMusic"};
const int kDeviceOf[6] = {0, 1, 2, 4, 3, 5};

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

QByteArray ev(int up, int kind, int code, quint32 delay) { return macroEventBytes(up, kind, code, delay); }
QByteArray record(const QByteArray& name, int count, const QByteArray& events)
{
    return macroRecordBytes(name, count, events);
}

// A file of n presses of A, 5 ms apart, and the record it makes.
QByteArray pressesFile(int n)
{
    QByteArray text("1\n");
    for (int i = 0; i < n; ++i)
        text += QByteArray(i ? "5ms\n" : "") + "0x04 1 0\n";
    return text;
}
QByteArray pressesEvents(int n)
{
    QByteArray events;
    for (int i = 0; i < n; ++i)
        events += ev(0, 1, 0x04, i + 1 < n ? 5 : 0);
    return events;
}

QList<int> mapping(int type, int code, int param) { return {type, code, param}; }

} // namespace

class tst_ButtonMacros : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void macroList_data();
    void macroList();
    void bindingWritesMappingAndRecord_data();
    void bindingWritesMappingAndRecord();
    void bindingNeedsASelectorAndTheMouse();
    void reopeningShowsTheMacroAndKeepsItsFile();
    void switchingTheMouseOffAndOnKeepsTheBinding();
    void anotherFunctionReleasesTheMacro_data();
    void anotherFunctionReleasesTheMacro();
    void saveReachesEveryButton();
    void repeatChangeKeepsTheMouseRecord();
    void renameReachesEveryButton();
    void aSaveTheMouseDidNotTakeIsNotKept_data();
    void aSaveTheMouseDidNotTakeIsNotKept();
    void unsavedRowsStayWhenTheMouseComesBack();
    void fileActionsWaitForASave_data();
    void fileActionsWaitForASave();
    void aRenameTheMouseDidNotTakeKeepsTheOldName_data();
    void aRenameTheMouseDidNotTakeKeepsTheOldName();
    void deleteReachesEveryButton_data();
    void deleteReachesEveryButton();
    void macroFromTheMouseBecomesALocalMacro();
    void deviceNamesAreCheckedLikeTypedOnes_data();
    void deviceNamesAreCheckedLikeTypedOnes();
    void languageChangeOnlyRelabels();

private:
    bool link(const QString& listed);
    // Puts `patch` (offset, value, ...) on the mouse through the library.
    bool putOnMouse(const QList<int>& patch);
    void deliverMouseImage();
    QByteArray mouseImage() const { return HidSimControl::configImage(m_mouse); }
    QList<int> mouseMapping(int i) const
    {
        const QByteArray image = mouseImage();
        return {uchar(image[74 + 3 * i]), uchar(image[75 + 3 * i]), uchar(image[76 + 3 * i])};
    }
    QByteArray mouseRecord(int i) const { return mouseImage().mid(956 + 592 * i, 592); }
    QString label(int position) const { return m_buttons->form()->button(kSelectors[position])->text(); }
    QToolButton* macroButton(const QString& name) const;
    // A person's binding: the selector, then the macro in the list.
    void bind(int position, const QString& name);
    QListWidget* editorList() const { return m_editor->findChild<QListWidget*>("listWidgetHong"); }
    QListWidget* editorEvents() const { return m_editor->findChild<QListWidget*>("listWidgetKey"); }
    QStringList editorRows() const
    {
        QStringList rows;
        for (int i = 0; i < editorEvents()->count(); ++i)
            rows << editorEvents()->item(i)->text();
        return rows;
    }
    // Takes the mouse away ("off") or makes its next write fail ("refuses").
    bool breakTheMouse(const QString& how);
    // The macro "m" of `file` bound to the second button, the mouse holding `onMouse`.
    void bindToTheSecondButton(const QByteArray& file, const QByteArray& onMouse);
    void selectInEditor(const QString& name);
    QString macroPath(const QString& name) const { return m_folder + "/" + name + ".ini"; }
    static QString prefix() { return LanguageTables::text(LanguageSection::Buttoninterface, 0, 48); }

    DeviceLinkFixture m_fixture;
    std::unique_ptr<Buttoninterface> m_buttons;
    std::unique_ptr<Macro> m_editor;
    QString m_mouse;
    QString m_folder;
};

void tst_ButtonMacros::init()
{
    QVERIFY(m_fixture.setUpShipped(QByteArray(kScenario)));
    g_UiReady = true;
    g_LanguageIndex = 0;
    m_folder = MacroFolder::defaultPath();
    QDir(m_folder).removeRecursively();
    QVERIFY(QDir().mkpath(m_folder));
}

void tst_ButtonMacros::cleanup()
{
    Macro::setFileChooser(nullptr);
    m_editor.reset();
    m_buttons.reset();
    m_fixture.tearDown();
    LanguageTables::clear();
    g_SelectedFlashDataFile.clear();
}

bool tst_ButtonMacros::link(const QString& listed)
{
    // The pages exist before any device is opened, as in the program.
    m_buttons.reset(new Buttoninterface);
    m_buttons->SlotAllLanguage(0);
    m_buttons->show();
    m_editor.reset(new Macro);
    m_mouse = "m" + listed.mid(1);
    if (!m_fixture.linkWithoutReports(listed, m_mouse))
        return false;
    return putOnMouse({});
}

bool tst_ButtonMacros::putOnMouse(const QList<int>& patch)
{
    if (!DeviceLinkFixture::sendPatchedImage(m_mouse, patch))
        return false;
    DeviceLinkFixture::clearCalls();
    return true;
}

void tst_ButtonMacros::deliverMouseImage()
{
    QVERIFY(DeviceLinkFixture::postButtonImage(m_mouse));
}

QToolButton* tst_ButtonMacros::macroButton(const QString& name) const
{
    for (QToolButton* b : m_buttons->macroListButtons()) {
        if (b->isEnabled() && b->text() == name)
            return b;
    }
    return nullptr;
}

void tst_ButtonMacros::bind(int position, const QString& name)
{
    Ui_Buttoninterface* ui = m_buttons->form();
    QTest::mouseClick(ui->button(kSelectors[position]), Qt::LeftButton);
    QVERIFY(ui->button(kSelectors[position])->isChecked());
    // The selector opens the list at its function; the macro category shows the macros.
    QCOMPARE(ui->stackedWidget->currentWidget(), ui->page_2);
    QTest::mouseClick(ui->button("DPI_10"), Qt::LeftButton);
    QCOMPARE(ui->stackedWidget_2->currentWidget(), ui->page_5);
    QToolButton* b = macroButton(name);
    QVERIFY2(b, qPrintable(name));
    QVERIFY(b->isVisible());
    QTest::mouseClick(b, Qt::LeftButton);
}

void tst_ButtonMacros::selectInEditor(const QString& name)
{
    const QList<QListWidgetItem*> found = editorList()->findItems(name, Qt::MatchExactly);
    QVERIFY2(found.size() == 1, qPrintable(name));
    editorList()->setCurrentItem(found.first());
    m_editor->on_listWidgetHong_clicked(editorList()->currentIndex());
}

// ---- The list ----

void tst_ButtonMacros::macroList_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("fillers");

    QTest::newRow("empty folder: no button, no filler") << QStringList{} << QStringList{} << 0;
    QTest::newRow("three macros and four fillers")
        << QStringList{"b.ini", "A.ini", "c.ini"} << QStringList{"A", "b", "c"} << 4;
    QTest::newRow("eight macros, no filler")
        << QStringList{"1.ini", "2.ini", "3.ini", "4.ini", "5.ini", "6.ini", "7.ini", "8.ini"}
        << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"} << 0;
    QTest::newRow("only the editor's macros: no other files")
        << QStringList{"Macro.xml", "notes.txt", "m.ini", "a.ini.ini"} << QStringList{"a.ini", "m"} << 5;
}

void tst_ButtonMacros::macroList()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, shown);
    QFETCH(int, fillers);
    QVERIFY(link("r8"));
    for (const QString& f : files)
        writeFile(m_folder + "/" + f, "1\n");
    // The home page asks for the list each time it shows the button page.
    PostMsg::GetInstance()->PostAddMacroButton();

    QStringList texts;
    int hiddenFillers = 0;
    for (QToolButton* b : m_buttons->macroListButtons()) {
        if (b->isEnabled()) {
            texts << b->text();
            QVERIFY(b->isCheckable());
            QVERIFY(m_buttons->macroGroup()->buttons().contains(b));
        } else {
            QVERIFY(b->text().isEmpty() && b->isHidden());
            QVERIFY(!m_buttons->macroGroup()->buttons().contains(b));
            ++hiddenFillers;
        }
    }
    QCOMPARE(texts, shown);
    QCOMPARE(hiddenFillers, fillers);
    // A long list scrolls: every macro lies inside the scrolled contents.
    QWidget* contents = m_buttons->form()->scrollArea_7->widget();
    for (QToolButton* b : m_buttons->macroListButtons()) {
        if (b->isEnabled())
            QVERIFY(contents->rect().contains(b->geometry()));
    }
    QVERIFY(m_buttons->macroGroup()->exclusive());
    // The editor, reading the same folder, lists the same macros in the same order.
    m_editor->LoadMacroList();
    QStringList editor;
    for (int i = 0; i < editorList()->count(); ++i)
        editor << editorList()->item(i)->text();
    QCOMPARE(editor, shown);
}

// ---- Binding ----

void tst_ButtonMacros::bindingWritesMappingAndRecord_data()
{
    QTest::addColumn<int>("position");     // selector, top to bottom
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<int>>("mapping");  // empty: refused
    QTest::addColumn<QByteArray>("record");

    // The first selector holds the mouse's only left click, which the page
    // never lets go; the others take macros.
    QTest::newRow("empty macro") << 2 << "empty" << QByteArray("1\n") << mapping(6, 2, 1)
                                 << record("empty", 0, {});
    QTest::newRow("a file without a first line repeats once")
        << 1 << "new" << QByteArray() << mapping(6, 1, 1) << record("new", 0, {});
    QTest::newRow("one key") << 5 << "one" << QByteArray("1\n0x04 1 0\n") << mapping(6, 5, 1)
                             << record("one", 1, ev(0, 1, 0x04, 0));
    QTest::newRow("key, delay, key on StartPause (device button 4)")
        << 3 << "kdk" << QByteArray("3\n0x04 1 0\n25ms\n0x04 1 1\n") << mapping(6, 4, 3)
        << record("kdk", 2, ev(0, 1, 0x04, 25) + ev(1, 1, 0x04, 0));
    QTest::newRow("mouse button until released, on TopMusic (device button 3)")
        << 4 << "click" << QByteArray("253\n0x02 0 0\n12ms\n0x01 4 0\n40ms\n0x01 4 1\n8ms\n0x02 0 1\n")
        << mapping(6, 3, 253)
        << record("click", 4, ev(0, 0, 0x02, 12) + ev(0, 4, 0x01, 40) + ev(1, 4, 0x01, 8)
                                  + ev(1, 0, 0x02, 0));
    QTest::newRow("30-byte name") << 1 << "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123" << QByteArray("250\n0x05 1 0\n")
                                  << mapping(6, 1, 250)
                                  << record("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", 1, ev(0, 1, 0x05, 0));
    QTest::newRow("40-byte name is cut to the name field")
        << 2 << "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd" << QByteArray("1\n") << mapping(6, 2, 1)
        << record("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", 0, {});
    QTest::newRow("multi-byte name cut between characters")
        << 5 << QString::fromUtf8("宏宏宏宏宏宏宏宏宏宏宏") << QByteArray("1\n") << mapping(6, 5, 1)
        << record(QString::fromUtf8("宏宏宏宏宏宏宏宏宏宏").toUtf8(), 0, {});
    QTest::newRow("70 events") << 1 << "seventy" << pressesFile(70) << mapping(6, 1, 1)
                               << record("seventy", 70, pressesEvents(70));
    QTest::newRow("71 events are refused") << 1 << "seventyone" << pressesFile(71) << QList<int>() << QByteArray();
}

void tst_ButtonMacros::bindingWritesMappingAndRecord()
{
    QFETCH(int, position);
    QFETCH(QString, name);
    QFETCH(QByteArray, file);
    QFETCH(QList<int>, mapping);
    QFETCH(QByteArray, record);
    writeFile(macroPath(name), file);
    QVERIFY(link("r8"));
    deliverMouseImage();
    const int device = kDeviceOf[position];
    const QByteArray before = mouseImage();
    const QString oldLabel = label(position);

    ModalDialogDriver driver;
    if (mapping.isEmpty())
        driver.expect("KeyNumberLimit", [](QWidget* d) { ModalDialogDriver::click(d, "CloseButton"); });
    else
        driver.forbidDialogs(true);
    bind(position, name);
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));

    Ui_Buttoninterface* ui = m_buttons->form();
    QCOMPARE(ui->stackedWidget->currentWidget(), ui->page);
    QCOMPARE(ui->stackedWidget_2->currentWidget(), ui->page_9);
    if (mapping.isEmpty()) {
        QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), 0);
        QCOMPARE(mouseImage(), before);
        QCOMPARE(label(position), oldLabel);
        QCOMPARE(m_buttons->recordedType(device), int(uchar(before[74 + 3 * device])));
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(device), mapping, 15000);
    QCOMPARE(mouseRecord(device).toHex(' '), record.toHex(' '));
    QCOMPARE(label(position), prefix() + name);
    QCOMPARE(m_buttons->recordedType(device), 6);
    QCOMPARE(m_buttons->recordedCode(device), device);
    QCOMPARE(m_buttons->recordedParam(device), mapping.at(2));
    // Nothing else of the mouse changed.
    QByteArray expected = before;
    expected.replace(74 + 3 * device, 3, bytes({mapping[0], mapping[1], mapping[2]}));
    expected.replace(956 + 592 * device, 592, record);
    QCOMPARE(mouseImage(), expected);
}

void tst_ButtonMacros::bindingNeedsASelectorAndTheMouse()
{
    writeFile(macroPath("m"), "1\n0x04 1 0\n");
    QVERIFY(link("r8"));
    deliverMouseImage();
    Ui_Buttoninterface* ui = m_buttons->form();
    const QByteArray before = mouseImage();

    // No selector: nothing is sent, the list closes.
    ui->stackedWidget->setCurrentWidget(ui->page_2);
    ui->stackedWidget_2->setCurrentWidget(ui->page_5);
    QTest::mouseClick(macroButton("m"), Qt::LeftButton);
    QCOMPARE(ui->stackedWidget->currentWidget(), ui->page);
    QCOMPARE(ui->stackedWidget_2->currentWidget(), ui->page_9);
    QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), 0);

    // A macro whose file went away since the list was built: nothing.
    writeFile(macroPath("gone"), "1\n");
    m_buttons->SlotAddMacroButton();
    QFile::remove(macroPath("gone"));
    bind(1, "gone");
    QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), 0);
    QCOMPARE(label(1), QString("Right button"));

    // A mouse that refuses the image (its macro memory is full): the
    // macro-limit notice, and nothing of the binding stays.
    HidSimControl::failWrites(1);
    ModalDialogDriver driver;
    driver.expect("KeyNumberLimit", [](QWidget* d) { ModalDialogDriver::click(d, "CloseButton"); });
    bind(1, "m");
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(label(1), QString("Right button"));
    QCOMPARE(m_buttons->recordedType(1), 1);
    QCOMPARE(imageBytes(currentFlashData()), before);
    QCOMPARE(mouseImage(), before);

    // Offline: the offline notice, the label and the record stay.
    QVERIFY(HidSimControl::setPowered(m_mouse, false));
    QVERIFY(QTest::qWaitFor([] { return !UsbFinderC_GetDeviceOnLine(g_DevicePath.load()); }, 15000));
    const int notices = m_fixture.pages()->count("MouseOffLineo");
    bind(1, "m");
    QCOMPARE(m_fixture.pages()->count("MouseOffLineo"), notices + 1);
    QCOMPARE(label(1), QString("Right button"));
    QCOMPARE(m_buttons->recordedType(1), 1);
    QCOMPARE(imageBytes(currentFlashData()), before);
}

void tst_ButtonMacros::reopeningShowsTheMacroAndKeepsItsFile()
{
    const QByteArray file("3\n0x02 0 0\n12ms\n0x04 1 0\n25ms\n0x04 1 1\n8ms\n0x02 0 1\n");
    writeFile(macroPath("shifted"), file);
    QVERIFY(link("r8"));
    deliverMouseImage();
    bind(4, "shifted");
    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(3), mapping(6, 3, 3), 15000);

    // A new page, as after a restart, shows what the mouse holds.
    m_buttons.reset(new Buttoninterface);
    m_buttons->SlotAllLanguage(0);
    deliverMouseImage();
    QCOMPARE(label(4), prefix() + "shifted");
    QCOMPARE(m_buttons->recordedType(3), 6);
    QCOMPARE(fileBytes(macroPath("shifted")), file);
    QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList{"shifted.ini"});
}

void tst_ButtonMacros::anotherFunctionReleasesTheMacro_data()
{
    QTest::addColumn<QString>("function");  // a function of the list, or keys for the key dialog
    QTest::addColumn<QString>("shown");

    QTest::newRow("a function of the list") << "MidKey" << "Middle button";
    QTest::newRow("a key combination") << "keys:Ctrl+A" << "Ctrl+A";
}

// A button that no longer holds a macro leaves no macro of the list marked,
// neither at once nor when its selector opens the list again.
void tst_ButtonMacros::anotherFunctionReleasesTheMacro()
{
    QFETCH(QString, function);
    QFETCH(QString, shown);
    writeFile(macroPath("held"), "1\n0x04 1 0\n");
    QVERIFY(link("r8"));
    deliverMouseImage();
    bind(4, "held");
    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(3), mapping(6, 3, 1), 15000);
    QCOMPARE(m_buttons->macroGroup()->checkedButton(), macroButton("held"));

    Ui_Buttoninterface* ui = m_buttons->form();
    QTest::mouseClick(ui->button(kSelectors[4]), Qt::LeftButton);
    if (function.startsWith("keys:")) {
        m_buttons->AssignKeyFunction(3, function.mid(5));
    } else {
        QVERIFY(ui->button(function)->isVisible());
        QTest::mouseClick(ui->button(function), Qt::LeftButton);
    }
    QTRY_COMPARE_WITH_TIMEOUT(label(4), shown, 15000);
    QCOMPARE(m_buttons->macroGroup()->checkedButton(), nullptr);
    QTest::mouseClick(ui->button(kSelectors[4]), Qt::LeftButton);
    QTest::mouseClick(ui->button("DPI_10"), Qt::LeftButton);
    QCOMPARE(ui->stackedWidget_2->currentWidget(), ui->page_5);
    QCOMPARE(m_buttons->macroGroup()->checkedButton(), nullptr);
}

void tst_ButtonMacros::switchingTheMouseOffAndOnKeepsTheBinding()
{
    writeFile(macroPath("kept"), "2\n0x04 1 0\n25ms\n0x04 1 1\n");
    // The whole device link this time: device thread, reports, connect clean-up.
    m_buttons.reset(new Buttoninterface);
    m_buttons->SlotAllLanguage(0);
    m_buttons->show();
    m_editor.reset(new Macro);
    m_mouse = "m8";
    QVERIFY(m_fixture.openDevice("r8"));
    QTRY_VERIFY_WITH_TIMEOUT(g_ButtonPageApplied, 10000);
    bind(5, "kept");
    const QByteArray expected = record("kept", 2, ev(0, 1, 0x04, 25) + ev(1, 1, 0x04, 0));
    QTRY_COMPARE_WITH_TIMEOUT(mouseRecord(5).toHex(' '), expected.toHex(' '), 15000);

    QVERIFY(HidSimControl::setPowered("m8", false));
    QTRY_VERIFY_WITH_TIMEOUT(!UsbFinderC_GetDeviceOnLine(g_DevicePath.load()), 10000);
    const int images = m_fixture.pages()->count("UpDataLightSensor");
    QVERIFY(HidSimControl::setPowered("m8", true));
    // The connect clean-up has run once the mouse's image reached the pages again.
    QTRY_VERIFY_WITH_TIMEOUT(m_fixture.pages()->count("UpDataLightSensor") > images && !g_ConnectCleanupPending,
                             20000);
    QTRY_VERIFY_WITH_TIMEOUT(g_ButtonPageApplied, 10000);
    QCOMPARE(mouseMapping(5), mapping(6, 5, 2));
    QCOMPARE(mouseRecord(5).toHex(' '), expected.toHex(' '));
    QCOMPARE(imageBytes(currentFlashData()).mid(956 + 592 * 5, 592), expected);
    QCOMPARE(label(5), prefix() + "kept");
    QCOMPARE(fileBytes(macroPath("kept")), QByteArray("2\n0x04 1 0\n25ms\n0x04 1 1\n"));
}

// ---- Save, rename, delete ----

void tst_ButtonMacros::saveReachesEveryButton()
{
    writeFile(macroPath("m"), "1\n0x04 1 0\n10ms\n0x04 1 1\n10ms\n0x05 1 0\n");
    writeFile(macroPath("other"), "1\n0x05 1 0\n");
    QVERIFY(link("r8"));
    deliverMouseImage();
    m_editor->LoadMacroList();
    bind(1, "m");
    bind(4, "m");
    bind(2, "other");
    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(2), mapping(6, 2, 1), 15000);

    // Events and repeat count changed; another macro is selected while the
    // button page waits before it asks for the records.
    selectInEditor("m");
    editorEvents()->setCurrentRow(4);
    m_editor->on_DeleteKey_clicked();
    m_editor->findChild<QSpinBox*>("NumberEdit")->setValue(4);
    QTimer::singleShot(0, this, [this] { selectInEditor("other"); });
    m_editor->on_Save_clicked();
    QCOMPARE(fileBytes(macroPath("m")), QByteArray("4\n0x04 1 0\n10ms\n0x04 1 1\n"));
    QCOMPARE(editorList()->currentItem()->text(), QString("other"));

    const QByteArray expected = record("m", 2, ev(0, 1, 0x04, 10) + ev(1, 1, 0x04, 0));
    QTRY_COMPARE_WITH_TIMEOUT(mouseRecord(1).toHex(' '), expected.toHex(' '), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(mouseRecord(3).toHex(' '), expected.toHex(' '), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(1), mapping(6, 1, 4), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(3), mapping(6, 3, 4), 15000);
    // The other macro's button is left alone.
    QCOMPARE(mouseMapping(2), mapping(6, 2, 1));
    QCOMPARE(mouseRecord(2), record("other", 1, ev(0, 1, 0x05, 0)));
    QCOMPARE(label(1), prefix() + "m");
    QCOMPARE(label(4), prefix() + "m");
}

void tst_ButtonMacros::repeatChangeKeepsTheMouseRecord()
{
    writeFile(macroPath("m"), "1\n0x04 1 0\n");
    QVERIFY(link("r8"));
    deliverMouseImage();
    m_editor->LoadMacroList();
    bind(3, "m");
    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(4), mapping(6, 4, 1), 15000);
    const QByteArray held = mouseRecord(4);

    selectInEditor("m");
    m_editor->findChild<QSpinBox*>("NumberEdit")->setValue(7);
    m_editor->on_Save_clicked();
    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(4), mapping(6, 4, 7), 15000);
    QCOMPARE(mouseRecord(4), held);

    // A button that no longer holds the macro on the mouse is not made one again.
    {
        AnnotatedMutexLocker lock(g_FlashDataMutex);
        g_FlashData.buttons[4] = ButtonMapping{1, 16, 0};
    }
    QVERIFY(putOnMouse({}));
    m_editor->findChild<QSpinBox*>("NumberEdit")->setValue(9);
    m_editor->on_Save_clicked();
    QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), 0);
    QCOMPARE(mouseMapping(4), mapping(1, 16, 0));
}

void tst_ButtonMacros::renameReachesEveryButton()
{
    writeFile(macroPath("thirteenbytes"), "1\n0x04 1 0\n");
    QVERIFY(link("r8"));
    deliverMouseImage();
    m_editor->LoadMacroList();
    bind(1, "thirteenbytes");
    bind(4, "thirteenbytes");
    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(3), mapping(6, 3, 1), 15000);

    selectInEditor("thirteenbytes");
    ModalDialogDriver driver;
    driver.expect("QuestionDialog", [](QWidget* d) {
        QTest::keyClicks(d->findChild<QLineEdit*>(), "z");
        ModalDialogDriver::click(d, "NewHong");
    });
    m_editor->RenameMacro();
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));

    const QByteArray expected = record("z", 1, ev(0, 1, 0x04, 0));
    QTRY_COMPARE_WITH_TIMEOUT(mouseRecord(1).toHex(' '), expected.toHex(' '), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(mouseRecord(3).toHex(' '), expected.toHex(' '), 15000);
    QCOMPARE(mouseMapping(1), mapping(6, 1, 1));
    QCOMPARE(mouseMapping(3), mapping(6, 3, 1));
    QCOMPARE(label(1), prefix() + "z");
    QCOMPARE(label(4), prefix() + "z");
    QCOMPARE(label(2), QString("Middle button"));
}

bool tst_ButtonMacros::breakTheMouse(const QString& how)
{
    if (how == "refuses") {
        HidSimControl::failWrites(1);
        return true;
    }
    return HidSimControl::setPowered(m_mouse, false)
        && QTest::qWaitFor([] { return !UsbFinderC_GetDeviceOnLine(g_DevicePath.load()); }, 15000);
}

void tst_ButtonMacros::bindToTheSecondButton(const QByteArray& file, const QByteArray& onMouse)
{
    writeFile(macroPath("m"), file);
    QVERIFY(link("r8"));
    deliverMouseImage();
    m_editor->LoadMacroList();
    bind(1, "m");
    QTRY_COMPARE_WITH_TIMEOUT(mouseRecord(1).toHex(' '), onMouse.toHex(' '), 15000);
}

// A save of a bound macro that the mouse does not take is not kept: the
// notice shows, the file stays as the mouse has it (so the mouse's copy
// arriving later replaces nothing), and the rows stay on show, unsaved. An
// older copy arriving while a save waits does not undo it either.
// When the file cannot be put back (the folder turned read-only meanwhile),
// that is said too.
void tst_ButtonMacros::aSaveTheMouseDidNotTakeIsNotKept_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("putBackFails");
    QTest::newRow("mouse switched off") << "off" << false;
    QTest::newRow("mouse refuses the write") << "refuses" << false;
    QTest::newRow("mouse refuses, the file cannot be put back") << "refuses" << true;
    QTest::newRow("the mouse's older copy arrives meanwhile") << "image" << false;
}

void tst_ButtonMacros::aSaveTheMouseDidNotTakeIsNotKept()
{
    QFETCH(QString, how);
    QFETCH(bool, putBackFails);
    const QByteArray old("1\n0x04 1 0\n10ms\n0x04 1 1\n10ms\n0x05 1 0\n");
    const QByteArray edited("1\n0x04 1 0\n10ms\n0x04 1 1\n");
    const QByteArray oldRecord = record("m", 3, ev(0, 1, 0x04, 10) + ev(1, 1, 0x04, 10) + ev(0, 1, 0x05, 0));
    const QByteArray newRecord = record("m", 2, ev(0, 1, 0x04, 10) + ev(1, 1, 0x04, 0));
    bindToTheSecondButton(old, oldRecord);

    selectInEditor("m");
    editorEvents()->setCurrentRow(4);
    m_editor->on_DeleteKey_clicked();
    const QStringList unsaved = editorRows();
    auto* save = m_editor->findChild<QToolButton*>("Save");
    if (how == "image") {
        QTimer::singleShot(0, this, [this] { deliverMouseImage(); });
        m_editor->on_Save_clicked();
        QCOMPARE(fileBytes(macroPath("m")), edited);
        QCOMPARE(editorRows(), unsaved);
        QTRY_COMPARE_WITH_TIMEOUT(mouseRecord(1).toHex(' '), newRecord.toHex(' '), 15000);
        return;
    }

    QVERIFY(breakTheMouse(how));
    const int offline = m_fixture.pages()->count("MouseOffLineo");
    ModalDialogDriver driver;
    std::unique_ptr<UnwritableFolder> readOnly;
    QString notChanged;
    if (how == "refuses") {
        driver.expect("KeyNumberLimit", [&](QWidget* d) {
            if (putBackFails)
                readOnly.reset(new UnwritableFolder(m_folder));
            ModalDialogDriver::click(d, "CloseButton");
        });
    } else {
        driver.forbidDialogs(true);
    }
    if (putBackFails) {
        driver.expect("MacroFileRefused", [&](QWidget* d) {
            notChanged = ModalDialogDriver::labelText(d, "label");
            ModalDialogDriver::click(d, "NewHong");
        });
    }
    m_editor->on_Save_clicked();
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
    readOnly.reset();
    QCOMPARE(m_fixture.pages()->count("MouseOffLineo"), offline + (how == "off" ? 1 : 0));
    if (putBackFails)
        QCOMPARE(notChanged, LanguageTables::text(LanguageSection::Macro, 0, 26));
    QCOMPARE(fileBytes(macroPath("m")), putBackFails ? edited : old);
    QCOMPARE(editorRows(), unsaved);
    QVERIFY(save->isEnabled());
    QCOMPARE(mouseRecord(1).toHex(' '), oldRecord.toHex(' '));

    // The mouse back: its copy is the file's, so nothing is replaced; the next
    // save reaches it.
    if (how == "off") {
        QVERIFY(HidSimControl::setPowered(m_mouse, true));
        QVERIFY(QTest::qWaitFor([] { return UsbFinderC_GetDeviceOnLine(g_DevicePath.load()); }, 15000));
        deliverMouseImage();
        QCOMPARE(fileBytes(macroPath("m")), old);
        QCOMPARE(editorRows(), unsaved);
    }
    driver.forbidDialogs(true);
    m_editor->on_Save_clicked();
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(fileBytes(macroPath("m")), edited);
    QTRY_COMPARE_WITH_TIMEOUT(mouseRecord(1).toHex(' '), newRecord.toHex(' '), 15000);
    QVERIFY(!save->isEnabled());
}

// The mouse back after a refused save: its copy differs from the file only
// in form (two pauses in a row, which it keeps as one), so the file takes the
// mouse's copy; the unsaved rows stay on show, and Save sends them.
void tst_ButtonMacros::unsavedRowsStayWhenTheMouseComesBack()
{
    const QByteArray old("1\n0x04 1 0\n10ms\n15ms\n0x04 1 1\n10ms\n0x05 1 0\n");
    bindToTheSecondButton(old, record("m", 3, ev(0, 1, 0x04, 25) + ev(1, 1, 0x04, 10) + ev(0, 1, 0x05, 0)));

    selectInEditor("m");
    editorEvents()->setCurrentRow(5);
    m_editor->on_DeleteKey_clicked();
    const QStringList unsaved = editorRows();
    QCOMPARE(unsaved, (QStringList{"A", "10ms", "15ms", "A"}));
    QVERIFY(breakTheMouse("off"));
    ModalDialogDriver driver;
    driver.forbidDialogs(true);
    m_editor->on_Save_clicked();
    auto* save = m_editor->findChild<QToolButton*>("Save");
    QCOMPARE(fileBytes(macroPath("m")), old);
    QVERIFY(save->isEnabled());

    QVERIFY(HidSimControl::setPowered(m_mouse, true));
    QVERIFY(QTest::qWaitFor([] { return UsbFinderC_GetDeviceOnLine(g_DevicePath.load()); }, 15000));
    deliverMouseImage();
    QCOMPARE(fileBytes(macroPath("m")), QByteArray("1\n0x04 1 0\n25ms\n0x04 1 1\n10ms\n0x05 1 0\n"));
    QCOMPARE(editorList()->currentItem()->text(), QString("m"));
    QCOMPARE(editorRows(), unsaved);
    QVERIFY(save->isEnabled());

    m_editor->on_Save_clicked();
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(fileBytes(macroPath("m")), QByteArray("1\n0x04 1 0\n10ms\n15ms\n0x04 1 1\n"));
    QTRY_COMPARE_WITH_TIMEOUT(mouseRecord(1).toHex(' '), record("m", 2, ev(0, 1, 0x04, 25) + ev(1, 1, 0x04, 0)).toHex(' '),
                              15000);
    QVERIFY(!save->isEnabled());
}

// While a save waits for the mouse (the button page waits before it asks
// for the records), the editor's other file actions are refused: they open
// nothing and change nothing, and the save ends as it would have without
// them, also when the mouse is off and the save is not kept.
void tst_ButtonMacros::fileActionsWaitForASave_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("mouseOff");
    QTest::newRow("rename") << "rename" << false;
    QTest::newRow("delete") << "delete" << false;
    QTest::newRow("new") << "new" << false;
    QTest::newRow("import") << "import" << false;
    QTest::newRow("rename, the mouse switched off") << "rename" << true;
}

void tst_ButtonMacros::fileActionsWaitForASave()
{
    QFETCH(QString, action);
    QFETCH(bool, mouseOff);
    const QByteArray old("1\n0x04 1 0\n10ms\n0x04 1 1\n10ms\n0x05 1 0\n");
    const QByteArray edited("1\n0x04 1 0\n10ms\n0x04 1 1\n");
    const QByteArray oldRecord = record("m", 3, ev(0, 1, 0x04, 10) + ev(1, 1, 0x04, 10) + ev(0, 1, 0x05, 0));
    bindToTheSecondButton(old, oldRecord);
    const QString exchange = QDir::homePath() + "/other.ini";
    writeFile(macroPath("other"), "1\n0x05 1 0\n");
    m_editor->LoadMacroList();
    selectInEditor("other");
    Macro::setFileChooser([&](QWidget*, const QString&, bool) { return exchange; });
    m_editor->ExPortMacro();
    QVERIFY(QFile::remove(macroPath("other")));
    m_editor->LoadMacroList();

    selectInEditor("m");
    editorEvents()->setCurrentRow(4);
    m_editor->on_DeleteKey_clicked();
    const QStringList unsaved = editorRows();
    if (mouseOff)
        QVERIFY(breakTheMouse("off"));
    const int offline = m_fixture.pages()->count("MouseOffLineo");
    bool chosen = false;
    Macro::setFileChooser([&](QWidget*, const QString&, bool) {
        chosen = true;
        return exchange;
    });
    ModalDialogDriver driver;
    driver.forbidDialogs(true);
    bool tried = false;
    QTimer::singleShot(0, this, [&] {
        tried = true;
        if (action == "rename")
            m_editor->RenameMacro();
        else if (action == "delete")
            m_editor->DeleteMacro();
        else if (action == "new")
            m_editor->CreateMewMacro();
        else
            m_editor->InPortMacro();
    });
    m_editor->on_Save_clicked();
    QVERIFY(tried);
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
    QVERIFY(!chosen);
    QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList{"m.ini"});
    QCOMPARE(editorList()->count(), 1);
    QCOMPARE(editorList()->currentItem()->text(), QString("m"));
    auto* save = m_editor->findChild<QToolButton*>("Save");
    if (mouseOff) {
        QCOMPARE(m_fixture.pages()->count("MouseOffLineo"), offline + 1);
        QCOMPARE(fileBytes(macroPath("m")), old);
        QCOMPARE(editorRows(), unsaved);
        QVERIFY(save->isEnabled());
        QCOMPARE(mouseRecord(1).toHex(' '), oldRecord.toHex(' '));
        return;
    }
    QCOMPARE(fileBytes(macroPath("m")), edited);
    QTRY_COMPARE_WITH_TIMEOUT(mouseRecord(1).toHex(' '),
                              record("m", 2, ev(0, 1, 0x04, 10) + ev(1, 1, 0x04, 0)).toHex(' '), 15000);
    QVERIFY(!save->isEnabled());
    QCOMPARE(label(1), prefix() + "m");
}

// A rename the mouse does not take keeps the old name on the button, in the
// list and on disk, and says so; the mouse coming back brings no second file.
// When the file cannot be given its old name back (the folder turned read-only
// meanwhile), that is said too, and the list shows the file as it is on disk.
void tst_ButtonMacros::aRenameTheMouseDidNotTakeKeepsTheOldName_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("rollBackFails");
    QTest::newRow("mouse switched off") << "off" << false;
    QTest::newRow("mouse refuses the write") << "refuses" << false;
    QTest::newRow("mouse refuses, the file cannot be renamed back") << "refuses" << true;
}

void tst_ButtonMacros::aRenameTheMouseDidNotTakeKeepsTheOldName()
{
    QFETCH(QString, how);
    QFETCH(bool, rollBackFails);
    writeFile(macroPath("m"), "1\n0x04 1 0\n");
    QVERIFY(link("r8"));
    deliverMouseImage();
    m_editor->LoadMacroList();
    bind(1, "m");
    bind(4, "m");
    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(3), mapping(6, 3, 1), 15000);
    const QByteArray held = mouseImage();

    selectInEditor("m");
    QVERIFY(breakTheMouse(how));
    const int offline = m_fixture.pages()->count("MouseOffLineo");
    ModalDialogDriver driver;
    driver.expect("QuestionDialog", [](QWidget* d) {
        QTest::keyClicks(d->findChild<QLineEdit*>(), "z");
        ModalDialogDriver::click(d, "NewHong");
    });
    std::unique_ptr<UnwritableFolder> readOnly;
    if (how == "refuses") {
        driver.expect("KeyNumberLimit", [&](QWidget* d) {
            if (rollBackFails)
                readOnly.reset(new UnwritableFolder(m_folder));
            ModalDialogDriver::click(d, "CloseButton");
        });
    }
    QString notChanged;
    if (rollBackFails) {
        driver.expect("MacroFileRefused", [&](QWidget* d) {
            notChanged = ModalDialogDriver::labelText(d, "label");
            ModalDialogDriver::click(d, "NewHong");
        });
    }
    m_editor->RenameMacro();
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));
    readOnly.reset();
    QVERIFY(m_fixture.pages()->count("MouseOffLineo") >= offline + (how == "off" ? 1 : 0));
    if (rollBackFails)
        QCOMPARE(notChanged, LanguageTables::text(LanguageSection::Macro, 0, 26));

    const QString onDisk = rollBackFails ? "z" : "m";
    QCOMPARE(label(1), prefix() + "m");
    QCOMPARE(label(4), prefix() + "m");
    QCOMPARE(editorList()->currentItem()->text(), onDisk);
    QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList{onDisk + ".ini"});
    QTRY_COMPARE_WITH_TIMEOUT(mouseImage(), held, 15000);

    if (how == "off") {
        QVERIFY(HidSimControl::setPowered(m_mouse, true));
        QVERIFY(QTest::qWaitFor([] { return UsbFinderC_GetDeviceOnLine(g_DevicePath.load()); }, 15000));
    }
    // The mouse's macro keeps (or gets back) a file of its name.
    deliverMouseImage();
    const QStringList files = rollBackFails ? QStringList{"m.ini", "z.ini"} : QStringList{"m.ini"};
    QCOMPARE(QDir(m_folder).entryList(QDir::Files), files);
    QCOMPARE(label(1), prefix() + "m");
}

void tst_ButtonMacros::deleteReachesEveryButton_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QList<int>>("sixth");     // mapping of device button 5 afterwards
    QTest::addColumn<QByteArray>("sixthKeys");  // its key-event record (first 20 bytes)
    QTest::addColumn<QString>("sixthLabel");

    QTest::newRow("default DPI loop") << "r8" << mapping(2, 1, 0) << QByteArray(20, '\0') << "DPI loop";
    // The stored multimedia key: consumer usage 0x00B5 pressed and released.
    QTest::newRow("stored multimedia key")
        << "r11" << mapping(5, 0, 0)
        << (QByteArray::fromHex("02000000") + ev(0, 2, 0xB5, 10) + ev(1, 2, 0xB5, 10)) << "Next track";
}

void tst_ButtonMacros::deleteReachesEveryButton()
{
    QFETCH(QString, listed);
    QFETCH(QList<int>, sixth);
    QFETCH(QByteArray, sixthKeys);
    QFETCH(QString, sixthLabel);
    writeFile(macroPath("gone"), "1\n0x04 1 0\n");
    writeFile(macroPath("kept"), "1\n0x05 1 0\n");
    QVERIFY(link(listed));
    // Left-over key events under the second button, from an earlier function.
    QVERIFY(putOnMouse({176, 2, 180, 0, 181, 1, 182, 0x04}));
    deliverMouseImage();
    m_editor->LoadMacroList();
    bind(1, "gone");
    bind(5, "gone");
    bind(2, "kept");
    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(2), mapping(6, 2, 1), 15000);

    selectInEditor("gone");
    ModalDialogDriver driver;
    driver.expect("DeleteConfirm", [](QWidget* d) { ModalDialogDriver::click(d, "NewHong"); });
    m_editor->on_DeleteHong_clicked();
    QVERIFY2(driver.waitAllHandled(), qPrintable(driver.failures().join('\n')));

    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(5), sixth, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(mouseMapping(1), mapping(1, 2, 0), 15000);
    QCOMPARE(mouseImage().mid(124 + 52 * 5, 20).toHex(' '), sixthKeys.toHex(' '));
    QCOMPARE(mouseImage().mid(176, 52), QByteArray(52, '\0'));
    QCOMPARE(mouseRecord(1), QByteArray(592, '\0'));
    QCOMPARE(mouseRecord(5), QByteArray(592, '\0'));
    QCOMPARE(label(1), QString("Right button"));
    QCOMPARE(label(5), sixthLabel);
    QCOMPARE(m_buttons->recordedType(1), 1);
    QCOMPARE(m_buttons->recordedType(5), sixth.at(0));
    // The other macro stays; no selector stays selected; the list is closed.
    QCOMPARE(mouseMapping(2), mapping(6, 2, 1));
    QCOMPARE(mouseRecord(2), record("kept", 1, ev(0, 1, 0x05, 0)));
    QCOMPARE(label(2), prefix() + "kept");
    QVERIFY(!m_buttons->selectorGroup()->checkedButton());
    QCOMPARE(m_buttons->form()->stackedWidget->currentWidget(), m_buttons->form()->page);
    QCOMPARE(m_buttons->form()->stackedWidget_2->currentWidget(), m_buttons->form()->page_9);
}

// ---- Macros found on the mouse ----

void tst_ButtonMacros::macroFromTheMouseBecomesALocalMacro()
{
    writeFile(macroPath("local"), "1\n0x06 1 0\n");
    writeFile(macroPath("found"), "9\n0x07 1 0\n10ms\n0x07 1 0\n");  // an older copy, replaced whole
    QVERIFY(link("r8"));
    QList<int> patch{74 + 3 * 2, 6, 75 + 3 * 2, 2, 76 + 3 * 2, 254};
    const QByteArray found =
        record("found", 3, ev(0, 1, 0x04, 30) + ev(0, 4, 0x02, 15) + ev(1, 4, 0x02, 77));
    for (int k = 0; k < found.size(); ++k)
        patch << 956 + 592 * 2 + k << uchar(found[k]);
    // A second macro only the mouse has, with a count byte beyond the record.
    QByteArray onlyHere = record("only here", 1, ev(0, 1, 0x05, 0));
    onlyHere[31] = char(200);
    patch << 74 + 3 * 5 << 6 << 75 + 3 * 5 << 5 << 76 + 3 * 5 << 2;
    for (int k = 0; k < onlyHere.size(); ++k)
        patch << 956 + 592 * 5 + k << uchar(onlyHere[k]);
    QVERIFY(putOnMouse(patch));
    m_editor->LoadMacroList();
    selectInEditor("local");
    const QByteArray mouseBefore = mouseImage();

    deliverMouseImage();

    QCOMPARE(label(2), prefix() + "found");
    QCOMPARE(label(5), prefix() + "only here");
    QCOMPARE(fileBytes(macroPath("found")), QByteArray("254\n0x04 1 0\n30ms\n0x02 4 0\n15ms\n0x02 4 1\n"));
    QByteArray onlyHereFile("2\n0x05 1 0\n");
    for (int e = 1; e < 70; ++e)
        onlyHereFile += "0ms\n0x00 1 0\n";
    QCOMPARE(fileBytes(macroPath("only here")), onlyHereFile);
    // Listed in both pages; the editor keeps the macro it shows.
    QStringList names;
    for (int i = 0; i < editorList()->count(); ++i)
        names << editorList()->item(i)->text();
    QCOMPARE(names, (QStringList{"found", "local", "only here"}));
    QCOMPARE(editorList()->currentItem()->text(), QString("local"));
    QVERIFY(macroButton("found") && macroButton("only here") && macroButton("local"));
    // The editor shows its events.
    selectInEditor("found");
    QStringList rows;
    for (int i = 0; i < editorEvents()->count(); ++i)
        rows << editorEvents()->item(i)->text();
    QCOMPARE(rows, (QStringList{"A", "30ms", g_MouseButtonNames[1], "15ms", g_MouseButtonNames[1]}));
    QCOMPARE(mouseImage(), mouseBefore);
    QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), 0);

    // The same image once more: the files hold these macros already and are
    // not written again (a write would be a new file in their place).
    auto inode = [](const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : ino_t(0);
    };
    const ino_t foundFile = inode(macroPath("found"));
    const ino_t onlyHereInode = inode(macroPath("only here"));
    QVERIFY(foundFile != 0 && onlyHereInode != 0);
    deliverMouseImage();
    QCOMPARE(inode(macroPath("found")), foundFile);
    QCOMPARE(inode(macroPath("only here")), onlyHereInode);
    QCOMPARE(fileBytes(macroPath("only here")), onlyHereFile);
}

void tst_ButtonMacros::deviceNamesAreCheckedLikeTypedOnes_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("parent folders") << QByteArray("../../Macro");
    QTest::newRow("a path") << QByteArray("a/b");
    QTest::newRow("hidden file") << QByteArray(".hidden");
    QTest::newRow("control character") << QByteArray("tab\there");
    QTest::newRow("trailing space") << QByteArray("space ");
    QTest::newRow("invalid text") << QByteArray("\xff\xfe");
}

void tst_ButtonMacros::deviceNamesAreCheckedLikeTypedOnes()
{
    QFETCH(QByteArray, name);
    QVERIFY(link("r8"));
    QList<int> patch{74, 6, 75, 0, 76, 1};
    const QByteArray bytes = record(name, 1, ev(0, 1, 0x04, 0));
    for (int k = 0; k < bytes.size(); ++k)
        patch << 956 + k << uchar(bytes[k]);
    QVERIFY(putOnMouse(patch));
    const QString home = QDir::homePath() + "/AppData";
    QStringList before;
    for (QDirIterator it(home, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        before << it.next();

    deliverMouseImage();

    QStringList after;
    for (QDirIterator it(home, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        after << it.next();
    before.sort();
    after.sort();
    QCOMPARE(after, before);
    QVERIFY(!QFile::exists(m_folder + "/../../Macro.ini"));
    QCOMPARE(editorList()->count(), 0);
    // The button still shows what the mouse holds.
    QCOMPARE(label(0), prefix() + QString::fromLocal8Bit(name));
}

void tst_ButtonMacros::languageChangeOnlyRelabels()
{
    QVERIFY(link("r8"));
    QList<int> patch{74, 6, 75, 0, 76, 1};
    const QByteArray bytes = record("m", 1, ev(0, 1, 0x04, 0));
    for (int k = 0; k < bytes.size(); ++k)
        patch << 956 + k << uchar(bytes[k]);
    QVERIFY(putOnMouse(patch));
    deliverMouseImage();
    QCOMPARE(fileBytes(macroPath("m")), QByteArray("1\n0x04 1 0\n"));
    QVERIFY(QFile::remove(macroPath("m")));
    const DeviceAllInfo device = currentDeviceCopy();
    g_SelectedFlashDataFile = DeviceCacheFileName(device.cid, device.mid);
    SaveDeviceCache(g_SelectedFlashDataFile, currentFlashData());
    WorkingImage::setCurrent(true);

    int toEditor = 0;
    QMetaObject::Connection c = connect(PostMsg::GetInstance(), &PostMsg::SigButtonToMacro, this,
                                        [&toEditor](FlashDataMap, int) { ++toEditor; });
    g_DeviceOnline = true;
    m_buttons->SlotAllLanguage(1);
    disconnect(c);
    QCOMPARE(label(0), LanguageTables::text(LanguageSection::Buttoninterface, 1, 48) + "m");
    QCOMPARE(toEditor, 0);
    QVERIFY(!QFile::exists(macroPath("m")));
    m_buttons->SlotAllLanguage(0);
}

QTEST_MAIN(tst_ButtonMacros)
#include "tst_buttonmacros.moc"
