#include "ModalDialogDriver.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/ConfigSettings.h"
#include "core/PostMsg.h"
#include "ui/home/DeleteConfirm.h"
#include "ui/home/LeftButtonOnly.h"
#include "ui/home/MouseOffLine.h"
#include "ui/home/QuestionDialog.h"
#include "ui/home/QuestiondialogB.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {
using Factory = std::function<QDialog*()>;

Factory factoryFor(const QString& name)
{
    if (name == "QuestiondialogB")
        return [] { return new QuestiondialogB(); };
    if (name == "LeftButtonOnly")
        return [] { return new LeftButtonOnly(); };
    if (name == "MouseOffLine")
        return [] { return new MouseOffLine(); };
    if (name == "DeleteConfirm")
        return [] { return new DeleteConfirm(); };
    return [] { return new QuestionDialog(); };
}
} // namespace

class tst_Notices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void textsFromTheLanguageTable_data();
    void textsFromTheLanguageTable();
    void shapeAndFocus_data();
    void shapeAndFocus();
    void deleteConfirmAnswer_data();
    void deleteConfirmAnswer();
    void offlineNoticeClosesWhenTheDeviceAnswers();
};

void tst_Notices::initTestCase()
{
    AppPaths::setApplicationDirOverride(DESKLINK_APP_DIR);
    ConfigSettings::resetForTests();
}

void tst_Notices::init()
{
    LanguageTables::clear();
    g_QuestionTexts = {{"New", "Rename", "OK", "Cancel"}, {"Neu", "Umbenennen", "Gut", "Abbrechen"}};
    g_QuestionBTexts = {{"Same device twice"}, {"Gleiches Geraet doppelt"}};
    g_ButtonOnlyTexts = {{"Keep the left click"}, {"Linksklick behalten"}};
    g_DeleteConfirmTexts = {{"Delete it?"}, {"Loeschen?"}};
    g_MouseOffLineTexts = {{"Mouse offline", "Settings not applied"},
                           {"Maus nicht erreichbar", "Nicht uebernommen"}};
    g_LanguageIndex = 0;
    g_MouseOffLineKind = 0;
}

void tst_Notices::textsFromTheLanguageTable_data()
{
    QTest::addColumn<QString>("notice");
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("offlineKind");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("button");  // empty: the notice has no confirm button

    QTest::newRow("same device") << "QuestiondialogB" << 1 << 0 << "Gleiches Geraet doppelt" << "";
    QTest::newRow("left button") << "LeftButtonOnly" << 1 << 0 << "Linksklick behalten" << "";
    QTest::newRow("delete") << "DeleteConfirm" << 1 << 0 << "Loeschen?" << "Gut";
    QTest::newRow("offline kind 0") << "MouseOffLine" << 1 << 0 << "Maus nicht erreichbar" << "Gut";
    QTest::newRow("offline kind 1") << "MouseOffLine" << 0 << 1 << "Settings not applied" << "OK";
    QTest::newRow("offline other kind keeps the form text")
        << "MouseOffLine" << 0 << 2 << "   The mouse is offline. Please move first" << "OK";
    QTest::newRow("language without a row falls back to English")
        << "DeleteConfirm" << 7 << 0 << "Delete it?" << "OK";
}

void tst_Notices::textsFromTheLanguageTable()
{
    QFETCH(QString, notice);
    QFETCH(int, language);
    QFETCH(int, offlineKind);
    QFETCH(QString, message);
    QFETCH(QString, button);

    g_LanguageIndex = language;
    g_MouseOffLineKind = offlineKind;
    std::unique_ptr<QDialog> d(factoryFor(notice)());
    QCOMPARE(ModalDialogDriver::labelText(d.get(), "label"), message);
    QCOMPARE(ModalDialogDriver::buttonText(d.get(), "NewHong"), button);
    QCOMPARE(d->windowTitle(), QString("Dialog"));

    // The bus's language change reaches an open notice too.
    if (offlineKind == 0 && language == 1) {
        PostMsg::GetInstance()->PostAllLanguage(0);
        QVERIFY(ModalDialogDriver::labelText(d.get(), "label") != message);
    }
}

void tst_Notices::shapeAndFocus_data()
{
    QTest::addColumn<QString>("notice");
    QTest::newRow("QuestiondialogB") << "QuestiondialogB";
    QTest::newRow("LeftButtonOnly") << "LeftButtonOnly";
    QTest::newRow("MouseOffLine") << "MouseOffLine";
    QTest::newRow("DeleteConfirm") << "DeleteConfirm";
    QTest::newRow("QuestionDialog") << "QuestionDialog";
}

void tst_Notices::shapeAndFocus()
{
    QFETCH(QString, notice);

    // Another window has the focus, as the top window has when a notice opens.
    QWidget owner;
    owner.show();
    owner.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&owner));

    std::unique_ptr<QDialog> d(factoryFor(notice)());
    QCOMPARE(d->size(), QSize(300, 140));
    QCOMPARE(int(d->windowFlags() & 0x6C12), 0x6C12);
    bool active = false;
    ModalDialogDriver driver;
    driver.expect(notice, [&](QWidget* w) {
        active = QTest::qWaitForWindowActive(w);
        ModalDialogDriver::click(w, "CloseButton");
    });
    d->exec();
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QVERIFY2(active, "a notice that takes keys must get the keyboard focus when shown");
}

void tst_Notices::deleteConfirmAnswer_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("confirm") << "NewHong" << true;
    QTest::newRow("close") << "CloseButton" << false;
}

void tst_Notices::deleteConfirmAnswer()
{
    QFETCH(QString, button);
    QFETCH(bool, confirmed);

    DeleteConfirm d;
    QCOMPARE(d.confirmed, false);
    ModalDialogDriver driver;
    driver.expect("DeleteConfirm", [&](QWidget* w) { ModalDialogDriver::click(w, button); });
    d.exec();
    QVERIFY(driver.allHandled());
    QCOMPARE(d.confirmed, confirmed);
}

void tst_Notices::offlineNoticeClosesWhenTheDeviceAnswers()
{
    MouseOffLine d;
    bool wasOpen = false;
    ModalDialogDriver driver;
    driver.expect("MouseOffLine", [&](QWidget* w) {
        wasOpen = w->isVisible();
        PostMsg::GetInstance()->PostCloseOffOnline();
    });
    d.exec();  // returns because the bus closed it
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QVERIFY(wasOpen);
    QVERIFY(!d.isVisible());
}

QTEST_MAIN(tst_Notices)
#include "tst_notices.moc"
