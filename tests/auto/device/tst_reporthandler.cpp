#include "DeviceLinkFixture.h"
#include "ImageBytes.h"

#include "app/Globals.h"
#include "core/Timing.h"
#include "core/WriteQueue.h"
#include "device/DeviceCache.h"
#include "device/DeviceWriters.h"
#include "device/ReportHandler.h"
#include "device/UpdateRecords.h"
#include "device/Worker.h"
#include "device/WorkingImage.h"
#include "platform/Registry.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QMutexLocker>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTest>

#include <cstring>
#include <memory>

using hidsim::HidSimControl;

namespace {
// The receivers of the fixture scenario are named after their mice: r8 serves m8.
QString mouseOf(const QString& listedId)
{
    return listedId.startsWith('r') ? "m" + listedId.mid(1) : listedId;
}

QByteArray flashOf(const QString& simId)
{
    return HidSimControl::flash(simId);
}

// Key events and a macro on every button, so that a clean-up shows.
FlashDataMap withButtonRecords(FlashDataMap image)
{
    for (int i = 0; i < FlashDataMap::kButtonCount; ++i) {
        KeyEventRecord& k = image.keyEvents[i];
        k.eventCount = 1;
        k.events[0].kind = MacroEvent::kKeyboard;
        k.events[0].setCode(quint16(4 + i));
        MacroRecord& m = image.macros[i];
        m.nameLength = 1;
        m.name[0] = quint8('A' + i);
        m.eventCount = 1;
        m.events[0].kind = MacroEvent::kKeyboard;
        m.events[0].setCode(quint16(0x10 + i));
        m.events[0].setDelay(20);
    }
    return image;
}

bool recordsEmpty(const FlashDataMap& image, int button)
{
    static const KeyEventRecord noKeys{};
    static const MacroRecord noMacro{};
    return std::memcmp(&image.keyEvents[button], &noKeys, sizeof noKeys) == 0
        && std::memcmp(&image.macros[button], &noMacro, sizeof noMacro) == 0;
}
}

class TestReportHandler : public QObject
{
    Q_OBJECT

private:
    DeviceLinkFixture m_fixture;
    DeviceLinkPageRecorder* pages() { return m_fixture.pages(); }
    QStringList reads()
    {
        QStringList list;
        for (const QString& c : DeviceLinkFixture::calls()) {
            if (c.startsWith("UsbServer_Read"))
                list << c;
        }
        return list;
    }

private slots:
    void init()
    {
        QVERIFY(m_fixture.setUp());
        g_ShowBatteryValue = 1;
    }
    void cleanup()
    {
        m_fixture.tearDown();
        const double scale = qEnvironmentVariableIsSet("DESKLINK_TIME_SCALE")
                                 ? qEnvironmentVariable("DESKLINK_TIME_SCALE").toDouble()
                                 : 1.0;
        Timing::setScale(scale);
        HidSimControl::setTimeScale(scale);
    }

    void reportTable_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QList<int>>("patch");        // offset, value, ...
        QTest::addColumn<QString>("signal");          // "" = none
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<int>("writeBacks");

        using H = DeviceLinkFixture;
        // Values that differ from the mouse's own, so every byte shows.
        const QByteArray ledBar = bytes({2, 10, 20, 30, 5, 6, 0, 0, (2 + 10 + 20 + 30 + 5 + 6) & 0xFF});
        QTest::newRow("battery, charging") << H::header(4) << bytes({0x01, 57, 0x10, 0x0E}) << QList<int>()
                                           << "Battery" << QVariantList{true, 57, true} << 0;
        QTest::newRow("battery, not charging") << H::header(4) << bytes({0x00, 15, 0, 0}) << QList<int>()
                                               << "Battery" << QVariantList{false, 15, true} << 0;
        QTest::newRow("battery, 3 bytes") << H::header(4) << bytes({1, 57, 0}) << QList<int>() << ""
                                          << QVariantList() << 0;
        // The mouse holds what it reported: sending the image back could carry an
        // older value of another field, or reach another profile.
        QTest::newRow("report-rate reply, not written back")
            << H::header(8, 0) << bytes({16}) << QList<int>{0, 16} << "UpDataReportRate" << QVariantList{16} << 0;
        QTest::newRow("DPI-stage reply, not written back")
            << H::header(8, 4) << bytes({3}) << QList<int>{2, 3} << "UpDataDPI" << QVariantList{3} << 0;
        QTest::newRow("DPI-light reply, not written back")
            << H::header(8, 0x4C) << bytes({4, 0xFB, 5, 0xFA, 6, 0xF9, 0, 0xFF})
            << QList<int>{63, 4, 64, 5, 65, 6, 66, 0} << "UpDataDPILed" << QVariantList() << 0;
        QTest::newRow("light-bar reply, not written back")
            << H::header(8, 0xA0) << ledBar << QList<int>{67, 2, 68, 10, 69, 20, 70, 30, 71, 5, 72, 6, 73, 0}
            << "UpDataLightLight" << QVariantList() << 0;
        QTest::newRow("DPI-light reply, 7 bytes") << H::header(8, 0x4C) << bytes({3, 0xFC, 2, 0xFD, 1, 0xFE, 1})
                                                  << QList<int>() << "" << QVariantList() << 0;
        QTest::newRow("light-bar reply, high address byte")
            << H::header(8, 0x1A0) << ledBar << QList<int>() << "" << QVariantList() << 0;
        QTest::newRow("flash reply of 2 bytes at 0") << H::header(8, 0) << bytes({16, 2}) << QList<int>() << ""
                                                     << QVariantList() << 0;
        QTest::newRow("flash reply without data") << H::header(8, 0) << QByteArray() << QList<int>() << ""
                                                  << QVariantList() << 0;
        QTest::newRow("flash reply of 6911 bytes") << H::header(8, 0) << QByteArray(6911, '\0') << QList<int>()
                                                   << "" << QVariantList() << 0;
        QTest::newRow("two-byte header: address counts as 0")
            << QByteArray("\xA5\x08", 2) << bytes({32}) << QList<int>{0, 32} << "UpDataReportRate"
            << QVariantList{32} << 0;
        QTest::newRow("one-byte header") << QByteArray("\xA5", 1) << bytes({16}) << QList<int>() << ""
                                         << QVariantList() << 0;
        QTest::newRow("no header") << QByteArray() << bytes({16}) << QList<int>() << "" << QVariantList() << 0;
        QTest::newRow("configuration, 1 byte") << H::header(14) << bytes({2}) << QList<int>() << "UpDataConfigUI"
                                               << QVariantList{4, 2, true} << 0;
        QTest::newRow("configuration, 2 bytes") << H::header(14) << bytes({2, 0}) << QList<int>()
                                                << "UpDataConfigUI" << QVariantList{0, 0, false} << 0;
        QTest::newRow("receiver light") << H::header(21) << QByteArray(10, '\x01') << QList<int>() << "RGBValue"
                                        << QVariantList{0} << 0;
        QTest::newRow("long range off") << H::header(23) << QByteArray(10, '\0') << QList<int>()
                                        << "LongRangeMode" << QVariantList{false} << 0;
        QTest::newRow("long range off, 9 bytes") << H::header(23) << QByteArray(9, '\0') << QList<int>() << ""
                                                 << QVariantList() << 0;
        QTest::newRow("status change without data") << H::header(10) << QByteArray() << QList<int>() << ""
                                                    << QVariantList() << 0;
        QTest::newRow("unknown type") << H::header(99) << bytes({1, 2, 3}) << QList<int>() << ""
                                      << QVariantList() << 0;
    }
    void reportTable()
    {
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, data);
        QFETCH(QList<int>, patch);
        QFETCH(QString, signal);
        QFETCH(QVariantList, args);
        QFETCH(int, writeBacks);

        QVERIFY(m_fixture.linkWithoutReports("r8", "m8"));
        DeviceLinkFixture::clearCalls();
        const QByteArray before = imageBytes(currentFlashData());

        QVERIFY(DeviceLinkFixture::deliverReport(header, data));

        const QByteArray after = imageBytes(currentFlashData());
        QCOMPARE(after, patched(before, patch));
        QCOMPARE(pages()->names(), signal.isEmpty() ? QStringList() : QStringList{signal});
        if (!signal.isEmpty()) {
            const DeviceLinkPageRecorder::Event e = pages()->last(signal);
            QVERIFY(e.onGuiThread);
            QCOMPARE(e.args, args);
            if (!e.image.isEmpty())
                QCOMPARE(e.image, after);  // the pages get the image as patched
        }
        QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), writeBacks);
        QVERIFY(reads().isEmpty());
    }

    void replyBeforeTheFirstFullReadIsNotSent()
    {
        QVERIFY(m_fixture.linkWithoutReports("r8", "m8"));
        WorkingImage::setCurrent(false);  // a device was just opened
        DeviceLinkFixture::clearCalls();

        QVERIFY(DeviceLinkFixture::deliverReport(DeviceLinkFixture::header(8, 0), bytes({4})));

        QCOMPARE(currentFlashData().reportRate, quint8(4));
        QCOMPARE(pages()->names(), QStringList{"UpDataReportRate"});
        QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), 0);
    }

    void statusChangeReadsInOrder()
    {
        QVERIFY(m_fixture.linkWithoutReports("r8", "m8"));
        DeviceLinkFixture::clearCalls();
        // Every flag but the full refresh: DPI stage, rate, DPI light, light bar, battery.
        QVERIFY(DeviceLinkFixture::deliverReport(DeviceLinkFixture::header(10), bytes({0x6B})));
        QCOMPARE(reads(), (QStringList{"UsbServer_ReadCurrentDPI", "UsbServer_ReadReportRate",
                                       "UsbServer_ReadBatteryLevel", "UsbServer_ReadLedBar",
                                       "UsbServer_ReadDPILed"}));
        QVERIFY(!g_RefreshPending);
        QVERIFY(pages()->names().isEmpty());
    }

    void fullRefreshAtMostOncePerWindow()
    {
        // 3000 ms through the timing seam: 300 ms here, room for the two reports
        // that must fall into one window on a busy machine.
        Timing::setScale(0.1);
        QVERIFY(m_fixture.linkWithoutReports("r8", "m8"));
        RestartStatusRefreshClock();
        const QByteArray refresh = bytes({0x04});
        auto deliver = [&] { return DeviceLinkFixture::deliverReport(DeviceLinkFixture::header(10), refresh); };

        // Within 3000 ms of the last refresh (here: since the worker started) nothing happens.
        QVERIFY(deliver());
        QVERIFY(!g_RefreshPending);
        QVERIFY(!g_StatusRefreshRequested);

        QTest::qWait(Timing::scaled(3000) + 50);
        QVERIFY(deliver());
        QVERIFY(g_RefreshPending);
        QVERIFY(g_StatusRefreshRequested);

        g_RefreshPending = false;
        g_StatusRefreshRequested = false;
        QVERIFY(deliver());  // the second request of the same window is dropped
        QVERIFY(!g_RefreshPending);
        QVERIFY(!g_StatusRefreshRequested);

        QTest::qWait(Timing::scaled(3000) + 50);
        QVERIFY(deliver());
        QVERIFY(g_RefreshPending);
        QVERIFY(reads().isEmpty());  // a refresh is a new pass, not a read
    }

    void fullReadFillsImageAndPages()
    {
        QVERIFY(m_fixture.linkWithoutReports("r8", "m8"));
        const QByteArray flash = flashOf("m8");
        FlashDataMap expected{};
        QVERIFY(ProtocolDataParser(reinterpret_cast<const unsigned char*>(flash.constData()), &expected));
        replaceFlashData(FlashDataMap{});
        WorkingImage::setCurrent(false);
        g_SensorPageApplied = true;
        g_ButtonPageApplied = true;
        g_WorkerRunRequest = true;
        DeviceLinkFixture::clearCalls();

        QVERIFY(DeviceLinkFixture::deliverReport(DeviceLinkFixture::header(8, 0), flash));

        QCOMPARE(imageBytes(currentFlashData()), imageBytes(expected));
        QVERIFY(WorkingImage::isCurrent());
        QCOMPARE(pages()->names(), (QStringList{"LongRangeMode", "UpDataLightUIButton", "UpDataLightLight",
                                                "UpDataLightSensor", "Form"}));
        for (const DeviceLinkPageRecorder::Event& e : pages()->events()) {
            QVERIFY(e.onGuiThread);
            if (e.name != "Form" && e.name != "LongRangeMode")
                QCOMPARE(e.image, imageBytes(expected));
        }
        QCOMPARE(reads(), (QStringList{"UsbServer_ReadDPILed", "UsbServer_ReadBatteryLevel",
                                       "UsbServer_ReadVersion", "UsbServer_ReadConfig"}));
        // Nothing cleaned: the mouse holds what was read, nothing goes back.
        QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), 0);
        QCOMPARE(g_FlashDataFile, QString("Device_CID33_MID08.bin"));
        QVERIFY(g_FullReadDone);
        // A pass asked for meanwhile still runs.
        QVERIFY(g_WorkerRunRequest);
        QVERIFY(!g_SensorPageApplied);
        QVERIFY(!g_ButtonPageApplied);
    }

    void malformedFullReadChangesNothing()
    {
        QVERIFY(m_fixture.linkWithoutReports("r8", "m8"));
        QByteArray flash = flashOf("m8");
        flash[0x4C + 1] = char(flash.at(0x4C + 1) ^ 0x55);  // DPI light check byte broken
        const QByteArray before = imageBytes(currentFlashData());
        g_FullReadDone = false;
        DeviceLinkFixture::clearCalls();

        QVERIFY(DeviceLinkFixture::deliverReport(DeviceLinkFixture::header(8, 0), flash));

        QCOMPARE(imageBytes(currentFlashData()), before);
        QVERIFY(pages()->names().isEmpty());
        QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), 0);
        QVERIFY(reads().isEmpty());
        QVERIFY(!g_FullReadDone);
    }

    // What the mouse reports of a change made with its own buttons is not sent
    // back. A write the program sent while that change was still being read
    // carried the older value; the image goes once more when the answers are in.
    void changeAtTheMouseIsSentOnlyAfterAnOlderWrite_data()
    {
        QTest::addColumn<QByteArray>("flags");
        QTest::addColumn<bool>("writeMeanwhile");
        QTest::addColumn<int>("sendsAfterFirstAnswer");
        QTest::addColumn<int>("sendsAfterLastAnswer");

        QTest::newRow("DPI press, nothing sent meanwhile") << bytes({0x01}) << false << 0 << 0;
        QTest::newRow("DPI and rate press, nothing sent meanwhile") << bytes({0x03}) << false << 0 << 0;
        QTest::newRow("DPI press, a write meanwhile: sent again") << bytes({0x01}) << true << 2 << 2;
        QTest::newRow("DPI and rate press, a write meanwhile: sent again after both")
            << bytes({0x03}) << true << 1 << 2;
    }
    void changeAtTheMouseIsSentOnlyAfterAnOlderWrite()
    {
        QFETCH(QByteArray, flags);
        QFETCH(bool, writeMeanwhile);
        QFETCH(int, sendsAfterFirstAnswer);
        QFETCH(int, sendsAfterLastAnswer);
        using H = DeviceLinkFixture;
        QVERIFY(m_fixture.linkWithoutReports("r8", "m8"));
        const FlashDataMap start = currentFlashData();
        const quint8 stage = quint8((start.activeDpiStage + 1) % 4);
        const quint8 rate = start.reportRate == 2 ? 4 : 2;
        const quint8 liftOff = start.liftOffDistance == 2 ? 1 : 2;
        QVERIFY(H::deliverReport(H::header(10), flags));
        H::clearCalls();

        if (writeMeanwhile)
            QVERIFY(WriteLodToDevice(liftOff));
        QVERIFY(H::deliverReport(H::header(8, 4), bytes({stage})));
        QCOMPARE(H::callCount("ProtocolDataUpdate"), sendsAfterFirstAnswer);
        if (flags.at(0) & 0x02)
            QVERIFY(H::deliverReport(H::header(8, 0), bytes({rate})));
        QCOMPARE(H::callCount("ProtocolDataUpdate"), sendsAfterLastAnswer);

        const FlashDataMap image = currentFlashData();
        QCOMPARE(image.activeDpiStage, stage);
        QCOMPARE(image.reportRate, (flags.at(0) & 0x02) ? rate : start.reportRate);
        QCOMPARE(image.liftOffDistance, writeMeanwhile ? liftOff : start.liftOffDistance);
        if (writeMeanwhile)  // the last send holds the mouse's values and the write alike
            QTRY_COMPARE_WITH_TIMEOUT(HidSimControl::configImage("m8"), imageBytes(image), 30000);
    }

    // A profile other than the one the image was read from: the image no longer
    // says what the mouse holds, so no write is built on it until that profile
    // has been read, by a pass of the device thread asked for at once.
    void otherProfileStopsWritesUntilRead()
    {
        using H = DeviceLinkFixture;
        QVERIFY(m_fixture.linkWithoutReports("r8", "m8"));
        QVERIFY(H::deliverReport(H::header(14), bytes({0})));
        QVERIFY(H::deliverReport(H::header(14), bytes({0})));
        QVERIFY(WorkingImage::isCurrent());
        QVERIFY(reads().isEmpty());
        H::clearCalls();

        RestartStatusRefreshClock();  // even just after another refresh
        QVERIFY(H::deliverReport(H::header(14), bytes({2})));
        QVERIFY(!WorkingImage::isCurrent());
        QVERIFY(g_RefreshPending);  // the device thread's next pass reads it
        QVERIFY(g_StatusRefreshRequested);
        const int notices = pages()->count("MouseOffLineo");
        QVERIFY(!WriteLodToDevice(3));
        QCOMPARE(H::callCount("ProtocolDataUpdate"), 0);
        QCOMPARE(pages()->count("MouseOffLineo"), notices + 1);

        // That profile's image makes writes possible again. Its profile is the
        // one reported before the read: a switch reported after it counts.
        QVERIFY(H::deliverReport(H::header(8, 0), flashOf("m8")));
        QVERIFY(WorkingImage::isCurrent());
        QVERIFY(WriteLodToDevice(3));
        QVERIFY(H::deliverReport(H::header(14), bytes({0})));
        QVERIFY(!WorkingImage::isCurrent());
    }

    // The real road at a slow link (a whole image takes 108 reports, a read one):
    // a second press, or a profile switch, right after the mouse's first answer.
    void pressesAtTheMouseKeepEveryProfile_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("DPI, then DPI") << "dpi" << "dpi";
        QTest::newRow("rate, then DPI") << "rate" << "dpi";
        QTest::newRow("DPI, then profile 2") << "dpi" << "profile";
    }
    void pressesAtTheMouseKeepEveryProfile()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        auto parsed = [](int profile) {
            const QByteArray flash = HidSimControl::flash("m8", profile);
            FlashDataMap image{};
            ProtocolDataParser(reinterpret_cast<const unsigned char*>(flash.constData()), &image);
            return imageBytes(image);
        };
        auto act = [](const QString& what) {
            return what == "dpi" ? HidSimControl::pressDpiButton("m8")
                 : what == "rate" ? HidSimControl::pressRateButton("m8")
                                  : HidSimControl::switchProfile("m8", 2);
        };
        QVERIFY(HidSimControl::switchProfile("m8", 2));  // profile 2 differs from profile 0
        QVERIFY(HidSimControl::pressRateButton("m8"));
        QVERIFY(HidSimControl::pressLightButton("m8"));
        QVERIFY(HidSimControl::switchProfile("m8", 0));
        QVERIFY(m_fixture.linkWithoutReports("r8", "m8"));
        const char* path = g_DevicePath.load();
        QVERIFY(UsbServerC_Start(path, path, OnHidReport));
        const QByteArray profile2 = parsed(2);
        QByteArray expected = parsed(0);
        HidSimControl::setTimeScale(20);

        QVERIFY(act(first));
        const QString answer = first == "dpi" ? "UpDataDPI" : "UpDataReportRate";
        QTRY_COMPARE_WITH_TIMEOUT(pages()->count(answer), 1, 30000);
        QVERIFY(act(second));
        if (second == "dpi")
            QTRY_COMPARE_WITH_TIMEOUT(pages()->count("UpDataDPI"), first == "dpi" ? 2 : 1, 30000);
        else
            QTRY_VERIFY_WITH_TIMEOUT(pages()->count("UpDataConfigUI") > 0, 30000);
        // Answered after every request made so far, writes included.
        UsbServer_ReadVersion();
        QTRY_VERIFY_WITH_TIMEOUT(pages()->count("Setver") > 0, 30000);

        const int presses = (first == "dpi" ? 1 : 0) + (second == "dpi" ? 1 : 0);
        const int count = qBound(1, int(quint8(expected.at(1))), 8);
        expected[2] = char((quint8(expected.at(2)) + presses) % count);
        if (first == "rate") {  // the rate button's cycle behind a 1K receiver
            const QByteArray rates = QByteArray::fromHex("08040201");
            expected[0] = rates.at((rates.indexOf(expected.at(0)) + 1) % rates.size());
        }
        QCOMPARE(parsed(0), expected);
        QCOMPARE(parsed(2), profile2);
    }

    void receiverSettingsOnConnect_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QStringList>("lightCalls");      // Set4KDongleRGB arguments (mode)
        QTest::addColumn<QStringList>("longRangeCalls");  // SetLongRangeMode arguments (on)
        QTest::addColumn<QStringList>("expectedSignals");
        // Catalogue "Adveanced": m7 "-1,-1", m8 "1,-1", m11 "0,2", m17 "2" (one item).
        QTest::newRow("wired model, -1 everywhere") << "m7" << QStringList() << QStringList() << QStringList();
        QTest::newRow("1K receiver, long range on") << "r8" << QStringList() << QStringList{"1"}
                                                    << QStringList{"LongRangeMode"};
        QTest::newRow("4K receiver, light 2, long range off")
            << "r11" << QStringList{"2"} << QStringList{"0"} << QStringList{"RGBValue", "LongRangeMode"};
        QTest::newRow("8K receiver, long range 2, list of one item")
            << "r17" << QStringList() << QStringList() << QStringList();
    }
    void receiverSettingsOnConnect()
    {
        QFETCH(QString, device);
        QFETCH(QStringList, lightCalls);
        QFETCH(QStringList, longRangeCalls);
        QFETCH(QStringList, expectedSignals);

        QVERIFY(m_fixture.linkWithoutReports(device, mouseOf(device)));
        const QString path = QString::fromLatin1(HidSimControl::path(device));
        DeviceLinkFixture::clearCalls();

        QVERIFY(DeviceLinkFixture::deliverReport(DeviceLinkFixture::header(9), bytes({0, 0, 0, 0})));

        QStringList light, longRange;
        for (const QString& a : DeviceLinkFixture::callArguments("UsbFinderC_Set4KDongleRGB"))
            light << a.section(", ", 1);
        for (const QString& a : DeviceLinkFixture::callArguments("UsbFinderC_SetLongRangeMode")) {
            QCOMPARE(a.section(", ", 0, 0), path);
            longRange << a.section(", ", 1);
        }
        QCOMPARE(light, lightCalls);
        QCOMPARE(longRange, longRangeCalls);
        QCOMPARE(pages()->names(), expectedSignals);
        if (expectedSignals.contains("RGBValue"))
            QCOMPARE(pages()->last("RGBValue").args, QVariantList{2});
        if (!longRangeCalls.isEmpty())
            QCOMPARE(pages()->last("LongRangeMode").args, QVariantList{longRangeCalls.first() == "1"});
        QCOMPARE(DeviceLinkFixture::callArguments("UsbServer_SetBatteryOptimizeEnable"), QStringList{"1"});
        QCOMPARE(reads(), QStringList{"UsbServer_ReadAllFlashData"});
        QVERIFY(g_ReceiverSettingsApplied);
        QVERIFY(g_ConnectCleanupPending);
    }

    void connectCleansButtonRecords_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QList<int>>("keyEventButtons");
        QTest::addColumn<QList<int>>("macroButtons");
        QTest::addColumn<QList<int>>("kept");
        // m8's model lists buttons 1 and 3 ("KeyParam2", "KeyParam4" start with 0x05),
        // m11's model button 5 through its sixth list.
        QTest::newRow("listed buttons keep their records") << "r8" << QList<int>() << QList<int>() << QList<int>{1, 3};
        QTest::newRow("no listed button: all cleared") << "m7" << QList<int>() << QList<int>() << QList<int>();
        QTest::newRow("sixth list counts") << "r11" << QList<int>() << QList<int>() << QList<int>{5};
        QTest::newRow("bound key events and macros survive")
            << "m7" << QList<int>{2} << QList<int>{4, 15} << QList<int>{2, 4, 15};
        QTest::newRow("bound and listed together")
            << "r8" << QList<int>{0} << QList<int>{3, 7} << QList<int>{0, 1, 3, 7};
    }
    void connectCleansButtonRecords()
    {
        QFETCH(QString, device);
        QFETCH(QList<int>, keyEventButtons);
        QFETCH(QList<int>, macroButtons);
        QFETCH(QList<int>, kept);

        // The mouse holds records for every button; some buttons are bound to them.
        QVERIFY(m_fixture.linkWithoutReports(device, mouseOf(device)));
        FlashDataMap stored = withButtonRecords(currentFlashData());
        for (int i : keyEventButtons)
            stored.buttons[i] = ButtonMapping{ButtonMapping::kKeyEventsType, 0, 0};
        for (int i : macroButtons)
            stored.buttons[i] = ButtonMapping{ButtonMapping::kMacroType, 0, 0};
        QVERIFY(ProtocolDataUpdate(&stored));
        QTRY_COMPARE(HidSimControl::configImage(mouseOf(device)), imageBytes(stored));

        QVERIFY(DeviceLinkFixture::deliverReport(DeviceLinkFixture::header(9), bytes({2, 0, 0, 0})));
        pages()->clear();
        DeviceLinkFixture::clearCalls();
        QVERIFY(DeviceLinkFixture::deliverReport(DeviceLinkFixture::header(8, 0), flashOf(mouseOf(device))));

        const FlashDataMap image = currentFlashData();
        for (int i = 0; i < FlashDataMap::kButtonCount; ++i)
            QVERIFY2(recordsEmpty(image, i) != kept.contains(i), qPrintable(QString("button %1").arg(i)));
        // Everything else is as read.
        FlashDataMap rest = image;
        FlashDataMap storedRest = stored;
        std::memset(&rest.keyEvents, 0, FlashDataMap::kButtonRecordsSize);
        std::memset(&storedRest.keyEvents, 0, FlashDataMap::kButtonRecordsSize);
        QCOMPARE(imageBytes(rest), imageBytes(storedRest));

        // The cleaned image goes back to the mouse and to the pages; the receiver is not asked.
        QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), 1);
        QCOMPARE(DeviceLinkFixture::callCount("UsbFinderC_GetLongRangeMode"), 0);
        QCOMPARE(DeviceLinkFixture::callCount("UsbFinderC_Get4KDongleRGBValue"), 0);
        QCOMPARE(pages()->last("UpDataLightSensor").image, imageBytes(image));
        QTRY_COMPARE(HidSimControl::configImage(mouseOf(device)), imageBytes(image));
        QVERIFY(!g_ConnectCleanupPending);
        QVERIFY(!g_ReceiverSettingsApplied);
    }

    void fullReadWithoutConnectReadsTheReceiver_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("longRangeOn");
        QTest::addColumn<QStringList>("expectedSignals");
        QTest::addColumn<int>("lightReads");
        QTest::newRow("4K receiver, light mode 1, long range on")
            << "r11" << true << QStringList{"RGBValue", "LongRangeMode"} << 1;
        // Off is reported as well: the page may show another receiver's mode.
        QTest::newRow("4K receiver, long range off")
            << "r11" << false << QStringList{"RGBValue", "LongRangeMode"} << 1;
        QTest::newRow("1K receiver: no light read") << "r8" << true << QStringList{"LongRangeMode"} << 0;
        QTest::newRow("cable: the receiver query gets no answer") << "m7" << false << QStringList() << 0;
    }
    void fullReadWithoutConnectReadsTheReceiver()
    {
        QFETCH(QString, device);
        QFETCH(bool, longRangeOn);
        QFETCH(QStringList, expectedSignals);
        QFETCH(int, lightReads);

        QVERIFY(m_fixture.linkWithoutReports(device, mouseOf(device)));
        if (longRangeOn)
            QVERIFY(UsbFinderC_SetLongRangeMode(HidSimControl::path(device).constData(), true));
        std::memset(g_DongleRGB, 0, sizeof *g_DongleRGB);
        DeviceLinkFixture::clearCalls();

        QVERIFY(DeviceLinkFixture::deliverReport(DeviceLinkFixture::header(8, 0), flashOf(mouseOf(device))));

        QStringList receiverSignals = pages()->names();
        receiverSignals.removeAll("UpDataLightUIButton");
        receiverSignals.removeAll("UpDataLightLight");
        receiverSignals.removeAll("UpDataLightSensor");
        receiverSignals.removeAll("Form");
        QCOMPARE(receiverSignals, expectedSignals);
        if (expectedSignals.contains("RGBValue"))
            QCOMPARE(pages()->last("RGBValue").args, QVariantList{1});
        if (expectedSignals.contains("LongRangeMode"))
            QCOMPARE(pages()->last("LongRangeMode").args, QVariantList{longRangeOn});
        QCOMPARE(DeviceLinkFixture::callCount("UsbFinderC_Get4KDongleRGBValue"), lightReads);
        QCOMPARE(DeviceLinkFixture::callCount("UsbFinderC_GetLongRangeMode"), 1);
    }

    void versionRecordsTheFirmware()
    {
        QVERIFY(m_fixture.linkWithoutReports("r11", "m11"));
        // A write of the value asked for earlier (an update's) is still on its
        // way to a slow disk: the mouse's report comes after it, never beside it.
        auto gate = std::make_shared<QSemaphore>();
        const auto openGate = qScopeGuard([gate] { gate->release(); });
        WriteQueue::instance().post([gate] {
            gate->acquire();
            return Registry::setValue(Registry::mouseDriveTestKeyPath(), "MouseVer5111", "v1.0");
        });
        QVERIFY(DeviceLinkFixture::deliverReport(DeviceLinkFixture::header(18), bytes({2, 0x10})));

        QCOMPARE(currentDeviceCopy().firmwareVersion, QString("v2.10"));
        QCOMPARE(pages()->names(), QStringList{"Setver"});
        QCOMPARE(pages()->last("Setver").args, QVariantList{0});
        gate->release();
        // "MouseVer" + customer id text + model id text, as the list page reads it.
        QCOMPARE(UpdateRecords::mouseVersion("51", "11"), QString("v2.10"));
    }

    void versionWithoutAnswerKeepsTheKnownOne()
    {
        QVERIFY(m_fixture.linkWithoutReports("r17", "m17"));
        {
            QMutexLocker lock(&g_CurrentDeviceMutex);
            g_CurrentDevice.firmwareVersion = "v1.2";
        }
        QVERIFY(HidSimControl::setPowered("m17", false));  // the receiver answers, the mouse does not
        QVERIFY(DeviceLinkFixture::deliverReport(DeviceLinkFixture::header(18), bytes({1, 3})));

        QCOMPARE(currentDeviceCopy().firmwareVersion, QString("v1.2"));
        QVERIFY(!Registry::contains(Registry::mouseDriveTestKeyPath(), "MouseVer5117"));
    }
};

QTEST_GUILESS_MAIN(TestReportHandler)
#include "tst_reporthandler.moc"
