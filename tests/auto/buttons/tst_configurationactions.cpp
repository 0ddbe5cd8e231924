#include "DeviceLinkFixture.h"
#include "ImageBytes.h"
#include "ModalDialogDriver.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "device/DeviceCache.h"
#include "device/WorkingImage.h"
#include "ui/buttons/ConfigurationActions.h"
#include "ui/buttons/ConfigurationFile.h"
#include "ui/sensor/MyConmboBox.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using hidsim::HidSimControl;

// The profile choice, the factory reset and the file actions below the button
// page's selectors, against the linked mouse "m8".
class tst_ConfigurationActions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void profileChoice_data();
    void profileChoice();
    void resetDeclinedSendsNothing();
    void resetWithoutNewImageEndsOffline();
    void importCancelled();
    void exportSource_data();
    void exportSource();
    void exportNameFindsTheImport_data();
    void exportNameFindsTheImport();

private:
    DeviceLinkFixture m_link;
    QTemporaryDir m_dir;
    QWidget m_page;
    QStringList m_notices;
    QMetaObject::Connection m_connection;
    QString m_chosen;
};

void tst_ConfigurationActions::initTestCase()
{
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    LanguageTables::load();
    AppPaths::setApplicationDirOverride(QString());
    m_page.resize(800, 600);
    ConfigurationActions::chooseFile = [this](QWidget*, bool) { return m_chosen; };
}

void tst_ConfigurationActions::init()
{
    QString catalogue = DeviceLinkFixture::fixtureCatalogue();
    catalogue.replace("[Drive2]\nMID=8\n", "[Drive2]\nMID=8\nSensor=Mzk1MA==\nDPIMaxGrade=6\n");
    QVERIFY(m_link.setUp(QByteArray(), catalogue));
    QVERIFY(m_link.linkWithoutReports("r8", "m8"));
    m_connection = connect(PostMsg::GetInstance(), &PostMsg::SigMouseOffLineo, this,
                           [this](int k) { m_notices << QStringLiteral("MouseOffLineo(%1)").arg(k); });
    DeviceLinkFixture::clearCalls();
}

void tst_ConfigurationActions::cleanup()
{
    disconnect(m_connection);
    m_notices.clear();
    m_chosen.clear();
    m_link.tearDown();
}

void tst_ConfigurationActions::profileChoice_data()
{
    QTest::addColumn<bool>("online");
    QTest::addColumn<bool>("filling");
    QTest::addColumn<int>("boxAfter");
    QTest::addColumn<int>("mouseProfile");
    QTest::addColumn<QStringList>("notices");
    QTest::newRow("online: the mouse switches") << true << false << 2 << 2 << QStringList();
    QTest::newRow("offline: the box goes back, nothing is sent")
        << false << false << 1 << 0 << QStringList{"MouseOffLineo(0)"};
    QTest::newRow("offline while a page is filled: no notice")
        << false << true << 2 << 0 << QStringList();
}

void tst_ConfigurationActions::profileChoice()
{
    QFETCH(bool, online);
    QFETCH(bool, filling);
    QFETCH(int, boxAfter);
    QFETCH(int, mouseProfile);
    QFETCH(QStringList, notices);

    MyConmboBox box;
    for (int k = 0; k < 4; ++k)
        box.addItem(QStringLiteral("Profile %1").arg(k + 1));
    box.pressIndex = 1;
    box.setCurrentIndex(2);  // what the user picked
    if (!online) {
        QVERIFY(HidSimControl::setPowered("m8", false));
        QTRY_VERIFY(!UsbFinderC_GetDeviceOnLine(g_DevicePath.load()));
    }
    g_ButtonPageFilling = filling;
    ConfigurationActions::chooseProfile(&box, 2);
    g_ButtonPageFilling = false;

    QCOMPARE(box.currentIndex(), boxAfter);
    QCOMPARE(m_notices, notices);
    QCOMPARE(DeviceLinkFixture::callCount("UsbServer_SetCurrentConfig"), online || filling ? 1 : 0);
    if (online)
        QTRY_COMPARE(HidSimControl::currentProfile("m8"), mouseProfile);
    else
        QCOMPARE(HidSimControl::currentProfile("m8"), mouseProfile);
}

void tst_ConfigurationActions::resetDeclinedSendsNothing()
{
    ModalDialogDriver driver;
    driver.expect("ContainReset", [](QWidget* d) { ModalDialogDriver::click(d, "Cancel"); });
    ConfigurationActions::factoryReset(&m_page);
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QCOMPARE(DeviceLinkFixture::callCount("UsbServer_SetClearSetting"), 0);
    QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), 0);
    QCOMPARE(DeviceLinkFixture::callCount("UsbServer_SetBatteryOptimizeEnable"), 0);
    QVERIFY(!g_ApplyingSettings);
    QCOMPARE(m_notices, QStringList());
}

void tst_ConfigurationActions::resetWithoutNewImageEndsOffline()
{
    // Flags left from an earlier image: the wait must not pass on them. No
    // device thread reads the new image here, so the pages never confirm.
    const QByteArray factory = HidSimControl::configImage("m8");  // fresh from the fixture
    FlashDataMap changed = currentFlashData();
    changed.debounceTime = quint8(changed.debounceTime + 2);
    replaceFlashData(changed);
    g_SensorPageApplied = true;
    g_ButtonPageApplied = true;
    ModalDialogDriver driver;
    driver.expect("ContainReset", [](QWidget* d) { ModalDialogDriver::click(d, "OK"); });
    ConfigurationActions::factoryReset(&m_page);
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));

    QCOMPARE(DeviceLinkFixture::calls().filter(QRegularExpression("^(UsbServer_SetBatteryOptimizeEnable|"
                                                                  "ProtocolDataUpdate|UsbServer_SetClearSetting)$")),
             (QStringList{"UsbServer_SetBatteryOptimizeEnable", "ProtocolDataUpdate", "UsbServer_SetClearSetting"}));
    QCOMPARE(m_notices, QStringList{"MouseOffLineo(0)"});
    QVERIFY(!g_ApplyingSettings);
    QTRY_COMPARE(HidSimControl::configImage("m8"), factory);
}

void tst_ConfigurationActions::importCancelled()
{
    ModalDialogDriver driver;
    driver.forbidDialogs(true);
    ConfigurationActions::importFile(&m_page);
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));
    QVERIFY(!g_ApplyingSettings);
    QCOMPARE(g_ImportMode.load(), 0);
}

void tst_ConfigurationActions::exportSource_data()
{
    QTest::addColumn<bool>("current");
    QTest::addColumn<bool>("cached");
    QTest::addColumn<int>("written");  // debounce byte of the written image; -1: no file
    QTest::newRow("the open mouse's image") << true << true << 9;
    QTest::newRow("offline: its cached image") << false << true << 4;
    QTest::newRow("nothing of this mouse: the failure notice") << false << false << -1;
}

void tst_ConfigurationActions::exportSource()
{
    QFETCH(bool, current);
    QFETCH(bool, cached);
    QFETCH(int, written);

    FlashDataMap working = currentFlashData();
    working.debounceTime = 9;
    replaceFlashData(working);
    WorkingImage::setCurrent(current);
    {
        QMutexLocker lock(&g_FlashDataMutex);
        g_SelectedFlashDataFile = DeviceCacheFileName(51, 8);
    }
    if (cached) {
        FlashDataMap stored = working;
        stored.debounceTime = 4;
        SaveDeviceCache(DeviceCacheFileName(51, 8), stored);
    }
    m_chosen = m_dir.path() + "/export.bin";
    QFile::remove(m_chosen);

    QString notice;
    ModalDialogDriver driver;
    if (written < 0)
        driver.expect("UpDateWarning", [&](QWidget* d) {
            notice = ModalDialogDriver::labelText(d, "label");
            ModalDialogDriver::click(d, "NewHong");
        });
    else
        driver.forbidDialogs(true);
    ConfigurationActions::exportFile(&m_page);
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));

    QFile file(m_chosen);
    QCOMPARE(file.exists(), written >= 0);
    if (written < 0) {
        QCOMPARE(notice, LanguageTables::text(LanguageSection::InportFail, g_LanguageIndex, 2));
        return;
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    FlashDataMap back{};
    QCOMPARE(ConfigurationFile::decode(file.readAll(), ConfigurationFile::currentModel(), &back),
             ConfigurationFile::Accepted);
    QCOMPARE(int(back.debounceTime), written);
}

void tst_ConfigurationActions::exportNameFindsTheImport_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("typed without extension") << "m8-config" << "m8-config.bin";
    QTest::newRow("typed with it") << "m8-config.bin" << "m8-config.bin";
    QTest::newRow("a dot of the name's own") << "team.v2" << "team.v2.bin";
}

// The name typed in the save dialog becomes a file that the import's own
// filter lists.
void tst_ConfigurationActions::exportNameFindsTheImport()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    WorkingImage::setCurrent(true);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    m_chosen = folder.filePath(typed);

    ModalDialogDriver driver;
    driver.forbidDialogs(true);
    ConfigurationActions::exportFile(&m_page);
    QVERIFY2(driver.allHandled(), qPrintable(driver.failures().join('\n')));

    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{written});
    QFile file(folder.filePath(written));
    QVERIFY(file.open(QIODevice::ReadOnly));
    FlashDataMap back{};
    QCOMPARE(ConfigurationFile::decode(file.readAll(), ConfigurationFile::currentModel(), &back),
             ConfigurationFile::Accepted);
}

QTEST_MAIN(tst_ConfigurationActions)
#include "tst_configurationactions.moc"
