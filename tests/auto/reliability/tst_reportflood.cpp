#include "DeviceLinkFixture.h"
#include "GuiPulse.h"
#include "ImageBytes.h"

#include "app/Globals.h"
#include "device/DeviceWriters.h"
#include "device/ReportHandler.h"
#include "device/Worker.h"
#include "device/WorkingImage.h"

#include <HidSimControl.h>

#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstring>
#include <functional>

using hidsim::HidSimControl;

namespace {
// One user change: the writer call, and the same change applied to the image
// the test expects the mouse to end up with.
struct Change
{
    std::function<bool(int)> write;
    std::function<void(FlashDataMap&, int)> expect;
};

QList<Change> changes()
{
    return {
        {[](int n) { return WriteReportRateToDevice(n % 2 ? 8 : 2); },
         [](FlashDataMap& m, int n) { m.reportRate = n % 2 ? 8 : 2; }},
        {[](int n) { return WriteDpiIndexToDevice(quint8(n % 4)); },
         [](FlashDataMap& m, int n) { m.activeDpiStage = quint8(n % 4); }},
        {[](int n) { return WriteLodToDevice(quint8(1 + n % 2)); },
         [](FlashDataMap& m, int n) { m.liftOffDistance = quint8(1 + n % 2); }},
        {[](int n) { return WriteDpiColorToDevice(n % 8, quint8(n), 10, 20); },
         [](FlashDataMap& m, int n) {
             m.dpiStages[n % 8].red = quint8(n);
             m.dpiStages[n % 8].green = 10;
             m.dpiStages[n % 8].blue = 20;
         }},
        {[](int n) { return WriteSensorLightBrightnessToDevice(quint8(n % 5)); },
         [](FlashDataMap& m, int n) { m.dpiLed.brightness = quint8(n % 5); }},
        {[](int n) { return WriteLightSpeedToDevice(quint8(n % 6)); },
         [](FlashDataMap& m, int n) { m.ledBar.speed = quint8(n % 6); }},
        {[](int n) { return WriteButtonToDevice(n % 5, 1, quint8(n), 0); },
         [](FlashDataMap& m, int n) { m.buttons[n % 5] = ButtonMapping{1, quint8(n), 0}; }},
        {[](int n) { return WriteSleepTimeToDevice(quint8(n % 60)); },
         [](FlashDataMap& m, int n) { m.idleLightOffTime = quint8(n % 60); }},
    };
}
}

// The mouse floods the program with status-change reports (thousands a second)
// while the user changes settings: the GUI thread keeps running its events
// and every change the user made ends up in the mouse.
class TestReportFlood : public QObject
{
    Q_OBJECT

private:
    // The virtual mice keep their flash in memory: the flood should meet the
    // program, not the disk the simulator would write every flash to.
    struct DevicesInMemory
    {
        DevicesInMemory() { qputenv("HIDSIM_DIR", "/dev/null/no-such-folder"); }
    } m_devicesInMemory;
    DeviceLinkFixture m_fixture;

private slots:
    void init()
    {
        QVERIFY(m_fixture.setUp());
        m_fixture.createWorker();
    }
    void cleanup()
    {
        m_fixture.tearDown();
        HidSimControl::setTimeScale(qEnvironmentVariableIsSet("DESKLINK_TIME_SCALE")
                                        ? qEnvironmentVariable("DESKLINK_TIME_SCALE").toDouble()
                                        : 1.0);
    }

    // A read asked for just before the user changed the same setting is
    // answered with the old value: that answer must neither come back into the
    // working image nor, sent with it, into the mouse.
    void answerOlderThanAUserChange_data()
    {
        QTest::addColumn<int>("flags");      // the status report that asks for the read; 0: a whole read
        QTest::addColumn<int>("change");     // index into changes()
        QTest::newRow("report rate") << 0x02 << 0;
        QTest::newRow("DPI stage") << 0x01 << 1;
        QTest::newRow("DPI light") << 0x08 << 4;
        QTest::newRow("light bar") << 0x20 << 5;
        QTest::newRow("whole configuration") << 0 << 3;
    }
    void answerOlderThanAUserChange()
    {
        QFETCH(int, flags);
        QFETCH(int, change);
        QVERIFY(m_fixture.openDevice("m7"));
        QTRY_VERIFY(!g_Worker->passActive());
        QTRY_VERIFY(m_fixture.pages()->count("UpDataConfigUI") > 0);
        FlashDataMap expected = currentFlashData();

        // Real speed, and a whole-image write ahead on the link: the read waits
        // about 100 ms behind it, long enough for the user's change to follow it.
        HidSimControl::setTimeScale(1.0);
        QVERIFY(WriteSleepTimeToDevice(33));
        expected.idleLightOffTime = 33;
        const QString read = flags == 0x02 ? "UsbServer_ReadReportRate"
            : flags == 0x01                ? "UsbServer_ReadCurrentDPI"
            : flags == 0x08                ? "UsbServer_ReadDPILed"
            : flags == 0x20                ? "UsbServer_ReadLedBar"
                                           : "UsbServer_ReadAllFlashData";
        const int readsBefore = DeviceLinkFixture::callCount(read);
        if (flags)
            QVERIFY(HidSimControl::injectReport(DeviceLinkFixture::header(10), QByteArray(1, char(flags))));
        else
            RequestFullRead();
        QElapsedTimer clock;
        clock.start();
        while (DeviceLinkFixture::callCount(read) == readsBefore && clock.elapsed() < 5000)
            QThread::usleep(100);
        QCOMPARE(DeviceLinkFixture::callCount(read), readsBefore + 1);

        const Change c = changes().at(change);
        QVERIFY(c.write(7));
        c.expect(expected, 7);

        QTRY_COMPARE(HidSimControl::configImage("m7"), imageBytes(expected));
        QTest::qWait(300);  // every answer is in
        QCOMPARE(HidSimControl::configImage("m7"), imageBytes(expected));
        QCOMPARE(imageBytes(currentFlashData()), imageBytes(expected));
        if (!flags)  // the whole read was asked for again, after the change
            QCOMPARE(DeviceLinkFixture::callCount(read), readsBefore + 2);
    }

    // Answers that only repeat what the image holds do not send it again.
    void unchangedAnswersAreNotSentBack()
    {
        QVERIFY(m_fixture.openDevice("m7"));
        QTRY_VERIFY(!g_Worker->passActive());
        QTRY_VERIFY(m_fixture.pages()->count("UpDataConfigUI") > 0);
        DeviceLinkFixture::clearCalls();
        m_fixture.pages()->clear();

        QVERIFY(HidSimControl::injectReport(DeviceLinkFixture::header(10), QByteArray(1, char(0x03))));

        QTRY_COMPARE(m_fixture.pages()->count("UpDataReportRate"), 1);
        QTRY_COMPARE(m_fixture.pages()->count("UpDataDPI"), 1);
        QCOMPARE(DeviceLinkFixture::callCount("ProtocolDataUpdate"), 0);
    }

    void userChangesDuringAFlood_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("mouse");
        QTest::addColumn<int>("flags");
        QTest::newRow("DPI stage and report rate") << "m7" << "m7" << 0x03;
        QTest::newRow("lights and battery") << "m7" << "m7" << 0x68;
        QTest::newRow("everything, with refreshes, 8K receiver") << "r17" << "m17" << 0x6F;
    }

    void userChangesDuringAFlood()
    {
        QFETCH(QString, device);
        QFETCH(QString, mouse);
        QFETCH(int, flags);
        QVERIFY(m_fixture.openDevice(device));
        QTRY_VERIFY(!g_Worker->passActive());
        QTRY_VERIFY(m_fixture.pages()->count("UpDataConfigUI") > 0);

        FlashDataMap expected = currentFlashData();
        QCOMPARE(imageBytes(expected), HidSimControl::configImage(mouse));

        // 3000 reports through the library's own report thread, as a real flood
        // would come.
        std::atomic<bool> flooding{true};
        std::atomic<int> injected{0};
        QThread* flood = QThread::create([&] {
            // Three at a time, about 3000 a second; a slow machine only stretches it.
            bool linked = true;
            while (linked && injected < 3000) {
                for (int i = 0; i < 3 && linked; ++i) {
                    linked = HidSimControl::injectReport(DeviceLinkFixture::header(10), QByteArray(1, char(flags)));
                    injected += linked ? 1 : 0;
                }
                QThread::usleep(1000);
            }
            flooding = false;
        });

        // The user: a change every 7 ms.
        const QList<Change> script = changes();
        int made = 0;
        int refused = 0;
        QTimer user;
        user.setInterval(7);
        connect(&user, &QTimer::timeout, this, [&] {
            const Change& c = script.at(made % script.size());
            if (c.write(made))
                c.expect(expected, made);
            else
                ++refused;
            ++made;
        });

        GuiPulse pulse;
        flood->start();
        pulse.start();
        user.start();
        QVERIFY(QTest::qWaitFor([&] { return !flooding; }, 120000));
        user.stop();
        flood->wait();
        delete flood;

        QElapsedTimer drain;
        drain.start();
        QTRY_COMPARE_WITH_TIMEOUT(HidSimControl::configImage(mouse), imageBytes(expected), 10000);
        pulse.stop();
        qInfo("%d reports, %d changes (%d refused), %s, mouse caught up %lld ms after the flood",
              injected.load(), made, refused, qPrintable(pulse.describe()), drain.elapsed());
        QCOMPARE(refused, 0);
        QCOMPARE(injected.load(), 3000);
        // No stall that lasts while the reports come: a GUI held up by the flood
        // stands still for nearly all of it and the catching up after it; a busy
        // machine's pauses stay far below that.
        QVERIFY2(pulse.keptBeating(0.75), qPrintable(pulse.describe()));
        // The program's own view agrees with the mouse once the reports are answered.
        QTRY_COMPARE(imageBytes(currentFlashData()), imageBytes(expected));
    }
};

QTEST_GUILESS_MAIN(TestReportFlood)
#include "tst_reportflood.moc"
