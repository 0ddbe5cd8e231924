#include "DeviceLinkFixture.h"
#include "ImageBytes.h"

#include "app/Globals.h"
#include "core/PostMsg.h"
#include "device/DeviceWriters.h"
#include "device/Worker.h"
#include "device/WorkingImage.h"

#include <HIDUsb.h>
#include <HidSimControl.h>

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <cstring>

using hidsim::HidSimControl;

namespace {
// A whole 6912-byte transfer: 108 reports of 1 ms (cable and 1K receiver), at
// the time scale of the tests.
constexpr double kTimeScale = 0.05;
constexpr int kTransferUs = int(108 * 1000 * kTimeScale);
constexpr int kTransferMs = kTransferUs / 1000 + 1;

// Polls far finer than QTRY_*, so that the moment a transfer starts is not missed.
template <typename Pred>
bool waitClosely(Pred done, int ms = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents();
        QThread::usleep(100);
    }
    return true;
}
}

// The open mouse switched off or unplugged at a random point of a whole read or
// a write: nothing crashes, the offline road is taken, the mouse keeps a whole
// image (the old or the new one), and the next connect reads exactly what the
// mouse holds.
class TestInterruptedTransfers : public QObject
{
    Q_OBJECT

private:
    DeviceLinkFixture m_fixture;
    DeviceLinkPageRecorder* pages() { return m_fixture.pages(); }

    // What the top window does for the two offline signals.
    void followTheTopWindow(bool* offlineNotice, bool* backToList)
    {
        for (const DeviceLinkPageRecorder::Event& e : pages()->events()) {
            if (e.name == "MouseOffLineo" && !*offlineNotice) {
                *offlineNotice = true;
                g_OfflineNoticeOpen = true;
                g_RefreshPending = true;
            } else if (e.name == "ChangeMainDialog" && e.args.value(0) == 0 && !*backToList) {
                *backToList = true;
                PostMsg::GetInstance()->PostMainPageChange();
                g_LinkEnabled = 0;
                UsbServer_Exit();
            }
        }
    }

    // Back to the device list, so that opening the device connects anew.
    void leaveDevice()
    {
        PostMsg::GetInstance()->PostMainPageChange();
        g_LinkEnabled = 0;
        UsbServer_Exit();
        QCoreApplication::processEvents();
    }

    // The link has settled on what the mouse holds: pages, working image and
    // mouse agree, no pass runs or is due, and no answer is on its way (quiet for
    // a few transfer times).
    bool settledOn(const QString& mouse)
    {
        auto agree = [&] {
            const QByteArray held = HidSimControl::configImage(mouse);
            return !g_Worker->passActive() && !g_RefreshPending && !g_OfflineNoticeOpen && WorkingImage::isCurrent()
                && imageBytes(currentFlashData()) == held && pages()->last("UpDataLightSensor").image == held;
        };
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000) {
            if (!waitClosely(agree))
                return false;
            const int seen = pages()->events().size();
            waitClosely([] { return false; }, 3 * kTransferMs);
            if (pages()->events().size() == seen && agree())
                return true;
        }
        return false;
    }

private slots:
    void init()
    {
        QVERIFY(m_fixture.setUp());
        m_fixture.createWorker();
        HidSimControl::setTimeScale(kTimeScale);  // whatever an earlier test left
        StartUsbChanged(&Worker::OnUsbDeviceChanged, 600);
    }
    void cleanup()
    {
        m_fixture.tearDown();
    }

    void interruptedTransfer_data()
    {
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("mouse");
        QTest::addColumn<bool>("unplug");
        QTest::addColumn<bool>("duringWrite");
        QTest::newRow("receiver mouse switched off during the whole read") << "r8" << "m8" << false << false;
        QTest::newRow("receiver mouse switched off during a write") << "r8" << "m8" << false << true;
        QTest::newRow("cable unplugged during the whole read") << "m7" << "m7" << true << false;
        QTest::newRow("cable unplugged during a write") << "m7" << "m7" << true << true;
    }

    void interruptedTransfer()
    {
        QFETCH(QString, listed);
        QFETCH(QString, mouse);
        QFETCH(bool, unplug);
        QFETCH(bool, duringWrite);
        QRandomGenerator random(20240611u);
        int completedBeforeTheCut = 0;

        for (int round = 0; round < 8; ++round) {
            const QString where = QString("round %1").arg(round);
            leaveDevice();
            pages()->clear();
            DeviceLinkFixture::clearCalls();
            QByteArray before = HidSimControl::configImage(mouse);
            QByteArray after = before;

            if (duringWrite) {
                QVERIFY2(m_fixture.openDevice(listed), qPrintable(where));
                QVERIFY2(settledOn(mouse), qPrintable(where));
                before = HidSimControl::configImage(mouse);
                pages()->clear();
                const quint8 stage = quint8(random.bounded(8));
                QVERIFY(WriteDpiColorToDevice(stage, quint8(round * 30), quint8(stage * 20), 77));
                after = imageBytes(currentFlashData());
                QVERIFY(after != before);
            } else {
                const int reads = DeviceLinkFixture::callCount("UsbServer_ReadAllFlashData");
                QVERIFY2(m_fixture.openDevice(listed, false), qPrintable(where));
                QVERIFY2(waitClosely([&] { return DeviceLinkFixture::callCount("UsbServer_ReadAllFlashData") > reads; }),
                         qPrintable(where));
            }
            QThread::usleep(random.bounded(quint32(kTransferUs + 1000)));
            QVERIFY(unplug ? HidSimControl::unplug(mouse) : HidSimControl::setPowered(mouse, false));
            waitClosely([] { return false; }, 2 * kTransferMs);

            // The mouse holds one whole image; whatever reached the pages is what it held.
            const QByteArray held = HidSimControl::configImage(mouse);
            QVERIFY2(held == before || held == after, qPrintable(where));
            if (duringWrite ? held == after : pages()->count("Form") > 0)
                ++completedBeforeTheCut;
            for (const DeviceLinkPageRecorder::Event& e : pages()->events()) {
                if (e.name == "UpDataLightSensor")
                    QVERIFY2(e.image == before || e.image == after, qPrintable(where));
            }

            // The offline road: the next change asks for the offline notice, an
            // unplugged device sends the window back to the list.
            QVERIFY(!WriteLodToDevice(2));
            QVERIFY(waitClosely([&] { return pages()->count("MouseOffLineo") > 0; }));
            if (unplug)
                QVERIFY(waitClosely([&] { return pages()->count("ChangeMainDialog") == 1; }));
            bool offlineNotice = false;
            bool backToList = false;
            followTheTopWindow(&offlineNotice, &backToList);
            QVERIFY(HidSimControl::configImage(mouse) == held);

            // Back again: the receiver reports the mouse connected, a cable mouse
            // is opened from the list anew.
            QVERIFY(unplug ? HidSimControl::plug(mouse) : HidSimControl::setPowered(mouse, true));
            if (unplug) {
                QVERIFY(waitClosely([&] { return !HidSimControl::path(mouse).isEmpty(); }));
                QVERIFY(m_fixture.openDevice(listed));
            }
            QVERIFY2(settledOn(mouse), qPrintable(where));
            // Nothing beyond the connect clean-up changed what the mouse holds.
            FlashDataMap expected = DeviceLinkPageRecorder::toImage(held);
            FlashDataMap now = DeviceLinkPageRecorder::toImage(HidSimControl::configImage(mouse));
            std::memset(&expected.keyEvents, 0, FlashDataMap::kButtonRecordsSize);
            std::memset(&now.keyEvents, 0, FlashDataMap::kButtonRecordsSize);
            QVERIFY2(imageBytes(now) == imageBytes(expected), qPrintable(where));
        }
        qInfo("%d of 8 transfers completed before the cut", completedBeforeTheCut);
    }
};

QTEST_GUILESS_MAIN(TestInterruptedTransfers)
#include "tst_interruptedtransfers.moc"
