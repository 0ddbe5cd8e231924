#include "PageSignalLog.h"
#include "TestHome.h"

#include "app/Globals.h"
#include "app/LanguageTables.h"
#include "core/AppPaths.h"
#include "core/PostMsg.h"
#include "device/DeviceCache.h"
#include "ui/settings/UpDataParam.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMutexLocker>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

// The wait dialog after a connect or a reset: what its timeout waits for,
// what it sends to the pages and the offline notice, and when it keeps the
// device's first image in the per-device cache.
class tst_UpDataParam : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void timeout_data();
    void timeout();
    void labelFollowsTheImportMode();

private:
    TestHome m_home;
    QTemporaryDir m_app{m_home.path() + "/app-XXXXXX"};
    std::unique_ptr<PageSignalLog> m_signals;
};

// An image a mouse could have sent, its stage count (byte 1) as the marker.
static FlashDataMap imageWith(quint8 marker)
{
    FlashDataMap image;
    std::memset(&image, 0, sizeof image);
    image.reportRate = FlashDataMap::kRate1000;
    image.liftOffDistance = 1;
    image.performanceModeTime = 30;
    for (DpiStageRecord& stage : image.dpiStages)
        stage.xCode = stage.yCode = 15;
    reinterpret_cast<quint8*>(&image)[1] = marker;
    return image;
}

static int markerOf(const FlashDataMap& image)
{
    return reinterpret_cast<const quint8*>(&image)[1];
}

void tst_UpDataParam::initTestCase()
{
    AppPaths::setApplicationDirOverride(QStringLiteral(DESKLINK_APP_DIR));
    LanguageTables::load();
    AppPaths::setApplicationDirOverride(m_app.path());
}

void tst_UpDataParam::cleanupTestCase()
{
    AppPaths::setApplicationDirOverride(QString());
}

void tst_UpDataParam::init()
{
    QDir(AppPaths::dataSubdir("Device_Info")).removeRecursively();
    QVERIFY(QDir().mkpath(AppPaths::dataSubdir("Device_Info")));
    {
        QMutexLocker lock(&g_FlashDataMutex);
        g_SelectedFlashDataFile = DeviceCacheFileName(51, 8);
        g_FlashDataFile = DeviceCacheFileName(51, 8);
    }
    replaceFlashData(imageWith(7));
    // Every signal is emitted on this thread: record them as they come.
    m_signals.reset(new PageSignalLog(markerOf, true));
}

void tst_UpDataParam::cleanup()
{
    m_signals.reset();
    g_FullReadDone = false;
    g_DeviceOnline = false;
    g_SensorPageApplied = false;
    g_ButtonPageApplied = false;
    g_ImportMode = 0;
}

void tst_UpDataParam::timeout_data()
{
    QTest::addColumn<bool>("waitForPages");
    QTest::addColumn<bool>("fullRead");
    QTest::addColumn<bool>("pagesApplied");
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("cached");  // marker of the cached image; 0: no cache file
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("flagsAfter");
    QTest::addColumn<int>("cachedAfter");

    QTest::newRow("reset: the pages confirm") << true << false << true << true << 0 << QStringList{"Setver(4)"} << true
                                              << 0;
    QTest::newRow("reset: the pages never confirm")
        << true << true << false << true << 0 << QStringList{"Setver(4)", "MouseOffLineo(0)"} << false << 0;
    QTest::newRow("connect: first image of the device is kept")
        << false << true << true << true << 0 << QStringList{"Setver(4)"} << false << 7;
    QTest::newRow("connect: an existing cache file is not rewritten")
        << false << true << true << true << 3 << QStringList{"Setver(4)"} << false << 3;
    QTest::newRow("connect: nothing kept while offline")
        << false << true << true << false << 0 << QStringList{"Setver(4)"} << false << 0;
    QTest::newRow("connect: the pages never confirm")
        << false << true << false << true << 3 << QStringList{"Setver(4)", "MouseOffLineo(1)"} << false << 3;
    QTest::newRow("no image arrived: the cached one is shown")
        << false << false << false << false << 3
        << QStringList{"Setver(4)", "LightUIA(3)", "SensorUIB(3)", "ButtonUIC(3)", "FormB", "MouseOffLineo(0)"} << false
        << 3;
    QTest::newRow("no image and no cache") << false << false << false << false << 0
                                           << QStringList{"Setver(4)", "MouseOffLineo(0)"} << false << 0;
}

void tst_UpDataParam::timeout()
{
    QFETCH(bool, waitForPages);
    QFETCH(bool, fullRead);
    QFETCH(bool, pagesApplied);
    QFETCH(bool, online);
    QFETCH(int, cached);
    QFETCH(QStringList, expected);
    QFETCH(bool, flagsAfter);
    QFETCH(int, cachedAfter);

    if (cached)
        SaveDeviceCache(DeviceCacheFileName(51, 8), imageWith(quint8(cached)));
    g_FullReadDone = fullRead;
    g_DeviceOnline = online;
    g_SensorPageApplied = pagesApplied;
    g_ButtonPageApplied = pagesApplied;

    UpDataParam dialog;
    dialog.waitForPages = waitForPages;
    dialog.StartTimer();
    dialog.exec();  // the timeout closes it

    QCOMPARE(m_signals->lines, expected);
    QCOMPARE(g_SensorPageApplied.load(), flagsAfter);
    QCOMPARE(g_ButtonPageApplied.load(), flagsAfter);
    FlashDataMap stored;
    const bool exists = LoadDeviceCache(DeviceCacheFileName(51, 8), &stored);
    QCOMPARE(exists, cachedAfter != 0);
    if (exists)
        QCOMPARE(int(markerOf(stored)), cachedAfter);
}

void tst_UpDataParam::labelFollowsTheImportMode()
{
    UpDataParam dialog;
    auto* label = dialog.findChild<QLabel*>("label");
    QCOMPARE(label->text(), LanguageTables::text(LanguageSection::UpDataParam, 0, 0));
    g_ImportMode = 1;
    PostMsg::GetInstance()->PostAllLanguage(2);
    QCOMPARE(label->text(), LanguageTables::text(LanguageSection::UpDataParam, 2, 1));
    g_ImportMode = 5;
    PostMsg::GetInstance()->PostAllLanguage(0);
    QCOMPARE(label->text(), LanguageTables::text(LanguageSection::UpDataParam, 2, 1));
}

QTEST_MAIN(tst_UpDataParam)
#include "tst_updataparam.moc"
