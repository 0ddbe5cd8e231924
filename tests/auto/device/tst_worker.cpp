#include "DeviceLinkFixture.h"
#include "ImageBytes.h"

#include "app/Globals.h"
#include "core/PostMsg.h"
#include "device/DeviceCache.h"
#include "device/Worker.h"
#include "device/WorkingImage.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <cstring>

using hidsim::HidSimControl;

namespace {
FlashDataMap patternImage(int seed)
{
    FlashDataMap image;
    auto* b = reinterpret_cast<unsigned char*>(&image);
    for (int i = 0; i < FlashDataMap::kSize; ++i)
        b[i] = static_cast<unsigned char>((i * 13 + seed) & 0xFF);
    return image;
}

// A mouse's own image with every stage colour changed: what a cache of it holds.
FlashDataMap shownImage(const char* mouse, int seed)
{
    FlashDataMap image;
    const QByteArray bytes = HidSimControl::configImage(mouse);
    std::memcpy(&image, bytes.constData(), sizeof image);
    for (DpiStageRecord& s : image.dpiStages)
        s.red = static_cast<uint8_t>(s.red + seed);
    return image;
}

QStringList withoutOnlineQueries(QStringList calls)
{
    calls.removeAll("UsbFinderC_GetDeviceOnLine");
    return calls;
}

// The three calls that (re)open the report link, in their order.
const QStringList kLinkCalls{"UsbServerC_Start", "UsbServer_SetPCDriverStatus", "UsbServer_ReadAllFlashData"};

QStringList linkCalls()
{
    QStringList found;
    for (const QString& c : DeviceLinkFixture::calls()) {
        if (kLinkCalls.contains(c))
            found << c;
    }
    return found;
}

QString path(const QString& id)
{
    return QString::fromLatin1(HidSimControl::path(id));
}
}

class TestWorker : public QObject
{
    Q_OBJECT

private:
    DeviceLinkFixture m_fixture;
    DeviceLinkPageRecorder* pages() { return m_fixture.pages(); }

    bool waitForPassEnd()
    {
        const bool ended = QTest::qWaitFor([] { return !g_Worker->passActive(); }, 5000);
        QCoreApplication::processEvents();  // queued bus signals of the pass
        return ended;
    }
    // The answers to the reads of a full read have arrived (the configuration is asked last).
    bool waitForReadAnswers()
    {
        return QTest::qWaitFor([this] { return pages()->count("UpDataConfigUI") > 0; }, 5000);
    }
    void runPass()
    {
        g_WorkerRunRequest = true;
        g_Worker->start();
        QVERIFY(waitForPassEnd());
    }

private slots:
    void init()
    {
        QVERIFY(m_fixture.setUp());
        m_fixture.createWorker();
    }
    void cleanup() { m_fixture.tearDown(); }

    void constructionStartsFromDefinedValues()
    {
        QCOMPARE(QByteArray(g_DevicePath.load()), QByteArray("a"));  // names no device
        QVERIFY(g_WorkerPollTimer && g_WorkerPollTimer->isActive());
        QCOMPARE(g_ShowBatteryValue.load(), 1);
        QVERIFY(!g_DeviceOnline);
    }

    void unchangedSecondPassStartsNoLink()
    {
        QVERIFY(m_fixture.openDevice("m7"));
        QVERIFY(waitForPassEnd());
        QVERIFY(waitForReadAnswers());
        DeviceLinkFixture::clearCalls();
        pages()->clear();

        runPass();

        QCOMPARE(withoutOnlineQueries(DeviceLinkFixture::calls()), QStringList());
        QVERIFY(pages()->names().isEmpty());
        QVERIFY(g_FullReadDone);
        QVERIFY(!g_WorkerRunRequest);
    }

    void onlinePassAsksForTheWaitDialog_data()
    {
        QTest::addColumn<bool>("applying");
        QTest::addColumn<bool>("refreshRequested");
        QTest::addColumn<QVariantList>("waitRequests");
        QTest::newRow("after a connect") << false << false << QVariantList{0};
        QTest::newRow("while an import or reset is applied") << true << false << QVariantList();
        QTest::newRow("after a status report asked for a refresh") << false << true << QVariantList{1};
        QTest::newRow("refresh while applying") << true << true << QVariantList{1};
    }
    void onlinePassAsksForTheWaitDialog()
    {
        QFETCH(bool, applying);
        QFETCH(bool, refreshRequested);
        QFETCH(QVariantList, waitRequests);
        g_ApplyingSettings = applying;
        g_StatusRefreshRequested = refreshRequested;

        QVERIFY(m_fixture.openDevice("m7", false));
        QVERIFY(waitForPassEnd());

        QVariantList seen;
        for (const DeviceLinkPageRecorder::Event& e : pages()->events()) {
            if (e.name == "UpDataParam")
                seen << e.args.first();
        }
        QCOMPARE(seen, waitRequests);
        QVERIFY(!g_StatusRefreshRequested);
        QCOMPARE(linkCalls(), kLinkCalls);
        QCOMPARE(DeviceLinkFixture::callArguments("UsbServerC_Start"), QStringList{path("m7") + ", " + path("m7")});
        QCOMPARE(DeviceLinkFixture::callArguments("UsbServer_SetPCDriverStatus"), QStringList{"1"});
        QCOMPARE(int(currentDeviceCopy().online), 1);
        QVERIFY(g_LastPassOnline);
        QVERIFY(!g_OfflineNoticeOpen);
        // The image arrives through the report callback.
        QTRY_VERIFY(WorkingImage::isCurrent());
        QTRY_COMPARE(pages()->count("Form"), 1);
        QCOMPARE(pages()->last("UpDataLightSensor").image, HidSimControl::configImage("m7"));
    }

    void offlineWithCacheShowsTheCachedImage()
    {
        QVERIFY(HidSimControl::setPowered("m17", false));
        const FlashDataMap cached = shownImage("m17", 5);
        SaveDeviceCache(DeviceCacheFileName(51, 17), cached);
        const FlashDataMap working = patternImage(9);
        replaceFlashData(working);

        QVERIFY(m_fixture.openDevice("r17", false));
        QVERIFY(waitForPassEnd());

        QCOMPARE(pages()->names(),
                 (QStringList{"UpDataLightUIButton", "UpDataLightLight", "UpDataLightSensor", "Form"}));
        for (const DeviceLinkPageRecorder::Event& e : pages()->events()) {
            QVERIFY(e.onGuiThread);
            if (!e.image.isEmpty())
                QCOMPARE(e.image, imageBytes(cached));
        }
        QCOMPARE(imageBytes(currentFlashData()), imageBytes(working));  // untouched
        QVERIFY(g_OfflineNoticeOpen);
        QCOMPARE(int(currentDeviceCopy().online), 0);
        QVERIFY(!g_FullReadDone);
        QCOMPARE(linkCalls(), kLinkCalls);  // linked all the same
    }

    void offlineCacheOutOfRangeCountsAsNone_data()
    {
        QTest::addColumn<QList<int>>("patch");  // image offset, value, ...
        QTest::addColumn<bool>("shown");

        QTest::newRow("only a hidden stage beyond the editor: shown") << QList<int>{} << true;
        QTest::newRow("no stages") << QList<int>{1, 0} << false;
        QTest::newRow("more stages than the image holds") << QList<int>{1, 9} << false;
        QTest::newRow("active stage beyond the count") << QList<int>{2, 4} << false;
        QTest::newRow("report rate of no rate") << QList<int>{0, 3} << false;
        QTest::newRow("sensor mode of no mode") << QList<int>{14, 7} << false;
        QTest::newRow("lift-off distance of no entry") << QList<int>{5, 0} << false;
        QTest::newRow("debounce of no entry") << QList<int>{6, 200} << false;
        QTest::newRow("full-performance time of no entry") << QList<int>{13, 31} << false;
        // Stage 3 (shown) at 51200 DPI, stage 4 (hidden) may hold anything.
        QTest::newRow("shown stage beyond the editor") << QList<int>{15 + 18, 255, 15 + 18 + 2, 0x33} << false;
    }

    // A damaged cache is not shown as the mouse's settings: the pages reset,
    // and the file stays as it is until the mouse's own image replaces it.
    void offlineCacheOutOfRangeCountsAsNone()
    {
        QFETCH(QList<int>, patch);
        QFETCH(bool, shown);
        QVERIFY(HidSimControl::setPowered("m17", false));
        FlashDataMap cached = shownImage("m17", 5);
        cached.dpiStageCount = 4;
        cached.activeDpiStage = 1;
        cached.dpiStages[4].rangeFlags = 0x33;
        for (int i = 0; i + 1 < patch.size(); i += 2)
            reinterpret_cast<unsigned char*>(&cached)[patch.at(i)] = static_cast<unsigned char>(patch.at(i + 1));
        const QString name = DeviceCacheFileName(51, 17);
        SaveDeviceCache(name, cached);
        QFile file(DeviceCacheFilePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray stored = file.readAll();
        file.close();

        QVERIFY(m_fixture.openDevice("r17", false));
        QVERIFY(waitForPassEnd());

        if (shown) {
            QCOMPARE(pages()->names(),
                     (QStringList{"UpDataLightUIButton", "UpDataLightLight", "UpDataLightSensor", "Form"}));
            QCOMPARE(pages()->last("UpDataLightSensor").image, imageBytes(cached));
        } else {
            QCOMPARE(pages()->names(), QStringList{"FormReset"});
        }
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), stored);
    }

    void offlineWithoutCacheResetsThePages()
    {
        QVERIFY(HidSimControl::setPowered("m17", false));
        QVERIFY(m_fixture.openDevice("r17", false));
        QVERIFY(waitForPassEnd());

        QCOMPARE(pages()->names(), QStringList{"FormReset"});
        QVERIFY(pages()->last("FormReset").onGuiThread);
        QCOMPARE(linkCalls(), kLinkCalls);
        QVERIFY(g_OfflineNoticeOpen);
    }

    void powerOnBringsTheFullReadAndClosesTheNotice()
    {
        QVERIFY(HidSimControl::setPowered("m17", false));
        QVERIFY(m_fixture.openDevice("r17", false));
        QVERIFY(waitForPassEnd());
        pages()->clear();

        QVERIFY(HidSimControl::setPowered("m17", true));

        // The receiver reports the mouse connected: receiver settings, then the full read.
        QTRY_COMPARE(pages()->count("Form"), 1);
        QCOMPARE(pages()->last("UpDataLightSensor").image, HidSimControl::configImage("m17"));
        QVERIFY(WorkingImage::isCurrent());
        QCOMPARE(DeviceLinkFixture::callArguments("UsbServer_SetBatteryOptimizeEnable"), QStringList{"1"});
        // The online check sees the mouse and closes the offline notice.
        QTRY_COMPARE(pages()->count("CloseOffOnline"), 1);
        QVERIFY(!g_OfflineNoticeOpen);
        QVERIFY(g_DeviceOnline);
    }

    void onlineCheckRunsAPendingRefresh()
    {
        QVERIFY(m_fixture.openDevice("m7"));
        QVERIFY(waitForPassEnd());
        QVERIFY(waitForReadAnswers());
        pages()->clear();
        DeviceLinkFixture::clearCalls();

        // What the top window does when a write found the device offline.
        g_OfflineNoticeOpen = true;
        g_RefreshPending = true;

        QTRY_COMPARE(pages()->count("CloseOffOnline"), 1);
        QTRY_COMPARE(pages()->count("Form"), 1);  // a whole new pass and full read
        QCOMPARE(pages()->count("UpDataParam"), 1);
        QCOMPARE(DeviceLinkFixture::callCount("UsbServerC_Start"), 1);
        QVERIFY(!g_OfflineNoticeOpen);
        QVERIFY(!g_RefreshPending);
    }

    void onlineCheckWithTheLinkOff_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("keepsWaiting");
        QTest::newRow("a mouse on its cable stops waiting") << "m7" << false;
        QTest::newRow("a 1K receiver keeps waiting") << "r8" << true;
    }
    void onlineCheckWithTheLinkOff()
    {
        QFETCH(QString, device);
        QFETCH(bool, keepsWaiting);
        PostMsg::GetInstance()->PostSelectMouseInfo(m_fixture.listEntry(device));
        g_LinkEnabled = 0;
        g_OfflineNoticeOpen = true;
        DeviceLinkFixture::clearCalls();

        g_Worker->SlotCheckOnline();

        QCOMPARE(bool(g_OfflineNoticeOpen), keepsWaiting);
        QCOMPARE(DeviceLinkFixture::callCount("UsbFinderC_GetDeviceOnLine"), 0);
        QCoreApplication::processEvents();
        QCOMPARE(pages()->count("CloseOffOnline"), 0);
    }

    void cableMoveOfAReceiverMouse()
    {
        QVERIFY(m_fixture.openDevice("r8"));
        QVERIFY(waitForPassEnd());
        StartUsbChanged(&Worker::OnUsbDeviceChanged, 600);
        QTRY_VERIFY(pages()->count("Setver") > 0);  // the first call after registering
        DeviceLinkFixture::clearCalls();

        QVERIFY(HidSimControl::plug("m8"));  // the same mouse, now on its cable

        QTRY_COMPARE(currentDeviceCopy().path, path("m8"));
        QTRY_COMPARE(DeviceLinkFixture::callArguments("UsbServerC_Start"), QStringList{path("m8") + ", " + path("m8")});
        QCOMPARE(QString::fromLatin1(g_DevicePath.load()), path("m8"));
        QVERIFY(currentDeviceCopy().direct);
        QTRY_VERIFY(!g_Worker->passActive());
        QCOMPARE(pages()->count("ChangeMainDialog"), 0);
    }

    void firmwareHintForACableMouse_data()
    {
        QTest::addColumn<bool>("imagesPresent");
        QTest::addColumn<QString>("flag");
        QTest::newRow("no firmware folder") << false << "";
        QTest::newRow("images of other versions") << true << "true";
    }
    void firmwareHintForACableMouse()
    {
        QFETCH(bool, imagesPresent);
        QFETCH(QString, flag);
        if (imagesPresent) {
            QVERIFY(QDir().mkpath(m_fixture.appDir() + "/bin"));
            for (const char* name : {"m08_mouse.bin", "m08_receiver.bin"})
                QVERIFY(QFile::copy(QStringLiteral(DESKLINK_APP_DIR "/bin/") + name, m_fixture.appDir() + "/bin/" + name));
        }
        QVERIFY(m_fixture.openDevice("r8"));
        QVERIFY(waitForPassEnd());
        QVERIFY(HidSimControl::plug("m8"));
        Worker::HandleUsbDeviceChanged();  // follows the mouse onto its cable
        QTRY_COMPARE(currentDeviceCopy().path, path("m8"));
        pages()->clear();

        Worker::HandleUsbDeviceChanged();

        // Cable and receiver listed: the receiver's version and kind go into the hint.
        QCOMPARE(pages()->count("LabelTextB"), 1);
        QCOMPARE(pages()->last("LabelTextB").args, (QVariantList{"v1.5", flag}));
        QCOMPARE(pages()->count("Setver"), 1);
        QCOMPARE(pages()->last("Setver").args, QVariantList{4});
        QDir(m_fixture.appDir() + "/bin").removeRecursively();
    }

    void vanishedDeviceReturnsToTheListOnce_data()
    {
        QTest::addColumn<bool>("unknownModelPresent");
        QTest::newRow("only other catalogue models remain") << false;
        QTest::newRow("a model outside the catalogue remains") << true;
    }
    void vanishedDeviceReturnsToTheListOnce()
    {
        QFETCH(bool, unknownModelPresent);
        if (unknownModelPresent) {
            QJsonObject root = QJsonDocument::fromJson(DeviceLinkFixture::fixtureScenario()).object();
            QJsonArray mice = root.value("mice").toArray();
            mice.append(QJsonObject{{"id", "m99"}, {"cid", 51}, {"mid", 99}, {"usbPid", "0A02"},
                                    {"receiverKind", 0}, {"firmware", "v1.0"}, {"cable", true}});
            root.insert("mice", mice);
            QVERIFY(m_fixture.setUp(QJsonDocument(root).toJson()));
        }
        QVERIFY(m_fixture.openDevice("r8"));
        QVERIFY(waitForPassEnd());

        Worker::HandleUsbDeviceChanged();  // still there
        QCOMPARE(pages()->count("ChangeMainDialog"), 0);

        QVERIFY(HidSimControl::unplug("r8"));
        Worker::HandleUsbDeviceChanged();
        // Only devices of the open model and unknown ones are kept.
        QCOMPARE(g_WorkerDeviceList.size(), unknownModelPresent ? 1 : 0);
        Worker::HandleUsbDeviceChanged();  // a change that was already on its way
        QCoreApplication::processEvents();

        QCOMPARE(pages()->count("ChangeMainDialog"), 1);
        QCOMPARE(pages()->last("ChangeMainDialog").args, QVariantList{0});

        // Opening a device again re-arms it.
        QVERIFY(m_fixture.openDevice("m7", false));
        QVERIFY(HidSimControl::unplug("m7"));
        Worker::HandleUsbDeviceChanged();
        QCOMPARE(pages()->count("ChangeMainDialog"), 2);
    }

    void noReturnWhileScansArePaused()
    {
        QVERIFY(m_fixture.openDevice("r8"));
        QVERIFY(waitForPassEnd());
        g_DevicePollingEnabled = false;  // a firmware update runs
        QVERIFY(HidSimControl::unplug("r8"));
        Worker::HandleUsbDeviceChanged();
        QCOMPARE(pages()->count("ChangeMainDialog"), 0);
    }

    void restartRequestedDuringAPassIsNotLost()
    {
        std::atomic<int> passes{0};
        connect(g_Worker, &QThread::started, this, [&passes] { ++passes; }, Qt::DirectConnection);
        QVERIFY(HidSimControl::setPowered("m17", false));
        // While the pass waits for the pages, a starter asks for another pass.
        pages()->onEvent = [](const DeviceLinkPageRecorder::Event& e) {
            if (e.name == "FormReset") {
                g_WorkerRunRequest = true;
                g_Worker->start();
            }
        };

        QVERIFY(m_fixture.openDevice("r17", false));
        QTRY_COMPARE(passes.load(), 2);
        QVERIFY(waitForPassEnd());
        QVERIFY(!g_WorkerRunRequest);
        QCOMPARE(passes.load(), 2);
        pages()->onEvent = nullptr;
    }
};

QTEST_GUILESS_MAIN(TestWorker)
#include "tst_worker.moc"
