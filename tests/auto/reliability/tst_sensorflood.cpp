// The sensor page on a mouse that floods the program with status-change
// reports (thousands a second) while the user clicks through the page: the GUI
// keeps running its events, and when the flood is over the mouse holds every
// last choice of the user, and the page shows it.

#include "DeviceLinkFixture.h"
#include "GuiPulse.h"

#include "app/Globals.h"
#include "device/ImageFieldCodes.h"
#include "device/SensorDpiTables.h"
#include "device/Worker.h"
#include "device/WorkingImage.h"
#include "ui/sensor/MotionSync.h"
#include "ui/sensor/MyConmboBox.h"
#include "ui/sensor/RippeControl.h"
#include "ui/sensor/Sensor.h"
#include "ui/sensor/SensorDPI.h"
#include "ui/sensor/SensorLOD.h"
#include "ui/sensor/SensorRate.h"
#include "ui/sensor/StraightLine.h"

#include <HidSimControl.h>

#include <QFile>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <atomic>
#include <memory>

using hidsim::HidSimControl;

namespace {
const char kScenario[] = R"({ "vendorId": "3A7C",
  "mice": [{"id":"m17","cid":51,"mid":17,"usbPid":"0A02","receiverKind":8,"cable":false,"pairedTo":"r17"}],
  "receivers": [{"id":"r17","kind":8,"address":"8C1708","plugged":true}] })";
}

class TestSensorFlood : public QObject
{
    Q_OBJECT

private:
    // The virtual mouse keeps its flash in memory: the flood meets the program,
    // not the disk.
    struct DevicesInMemory
    {
        DevicesInMemory() { qputenv("HIDSIM_DIR", "/dev/null/no-such-folder"); }
    } m_devicesInMemory;
    DeviceLinkFixture m_fixture;
    std::unique_ptr<Sensor> m_page;

private slots:
    void init()
    {
        QVERIFY(m_fixture.setUp(QByteArray(kScenario), DeviceLinkFixture::shippedCatalogue()));
        QFile::remove(m_fixture.appDir() + "/driver_sensor.h");
        QVERIFY(QFile::copy(QStringLiteral(DESKLINK_APP_DIR) + "/driver_sensor.h",
                            m_fixture.appDir() + "/driver_sensor.h"));
        g_SensorDefineNames.clear();
        g_SensorDefineValues.clear();
        g_UiReady = true;
    }
    void cleanup()
    {
        m_page.reset();
        m_fixture.tearDown();
        g_DeviceModelId = 0;
    }

    void clicksDuringAFlood()
    {
        m_page.reset(new Sensor);
        m_page->show();
        g_DeviceModelId = 17;
        QVERIFY(m_fixture.openDevice("r17"));
        QTRY_VERIFY(g_SensorPageApplied);
        QTRY_VERIFY(!g_Worker->passActive());

        SensorDPI* dpi = m_page->dpiEditor();
        MyConmboBox* lod = m_page->lodFrame()->chooser();
        const QList<SwitchFrame*> switches = {m_page->motionSyncFrame(), m_page->rippleFrame(),
                                              m_page->straightLineFrame()};
        QList<int> stages;
        for (int s = 0; s < 8; ++s) {
            if (dpi->stageButton(s) && dpi->stageButton(s)->isVisibleTo(m_page.get()))
                stages << s;
        }
        QVERIFY(stages.size() >= 2);
        QVERIFY(lod->count() >= 2);

        // DPI stage, report rate, DPI light, light bar and battery changed, over
        // and over, through the library's own report thread.
        std::atomic<bool> flooding{true};
        std::atomic<int> injected{0};
        QThread* flood = QThread::create([&] {
            // Three at a time, about 3000 a second; a slow machine only stretches it.
            bool linked = true;
            while (linked && injected < 4500) {
                for (int i = 0; i < 3 && linked; ++i) {
                    linked = HidSimControl::injectReport(DeviceLinkFixture::header(10), QByteArray(1, char(0x6B)));
                    injected += linked ? 1 : 0;
                }
                QThread::usleep(1000);
            }
            flooding = false;
        });

        // The user: a click every 10 ms, round the page.
        const int rates[] = {0, 1, 2, 3, 6};
        int clicks = 0;
        int lastRate = -1;
        int lastStage = -1;
        int lastLod = -1;
        QTimer user;
        user.setInterval(10);
        connect(&user, &QTimer::timeout, this, [&] {
            switch (clicks % 4) {
            case 0:
                lastRate = rates[(clicks / 4) % 5];
                QTest::mouseClick(m_page->rateFrame()->button(lastRate), Qt::LeftButton);
                break;
            case 1:
                lastStage = stages.at((clicks / 4) % stages.size());
                QTest::mouseClick(dpi->stageButton(lastStage), Qt::LeftButton);
                break;
            case 2:
                lastLod = (lod->currentIndex() + 1) % lod->count();
                lod->setCurrentIndex(lastLod);
                break;
            case 3: {
                SwitchFrame* frame = switches.at((clicks / 4) % switches.size());
                if (frame->switchButton()->isVisibleTo(m_page.get()))
                    QTest::mouseClick(frame->switchButton(), Qt::LeftButton);
                break;
            }
            }
            ++clicks;
        });

        GuiPulse pulse;
        flood->start();
        pulse.start();
        user.start();
        QVERIFY(QTest::qWaitFor([&] { return !flooding; }, 120000));
        user.stop();
        flood->wait();
        delete flood;
        pulse.stop();

        // Every last choice reaches the mouse, and the page shows what it holds.
        const quint8 rateCode = ImageFieldCodes::rateCode(lastRate);
        const quint8 lodCode = quint8(m_page->lodFrame()->codeForIndex(lastLod));
        auto mouseHoldsTheChoices = [&] {
            const QByteArray held = HidSimControl::configImage("m17");
            if (quint8(held.at(0)) != rateCode || held.at(2) != lastStage || quint8(held.at(5)) != lodCode)
                return false;
            for (SwitchFrame* frame : switches) {
                if (held.at(SwitchFrame::row(frame->kind()).imageOffset) != char(frame->isChecked() ? 1 : 0))
                    return false;
            }
            return true;
        };
        QVERIFY2(QTest::qWaitFor(mouseHoldsTheChoices, 10000),
                 qPrintable(QString("rate %1 stage %2 lift-off %3; the mouse holds %4")
                                .arg(rateCode).arg(lastStage).arg(lodCode)
                                .arg(QString(HidSimControl::configImage("m17").left(16).toHex(' ')))));
        QTRY_COMPARE(m_page->rateFrame()->checkedIndex(), lastRate);
        QTRY_COMPARE(dpi->checkedStage(), lastStage);
        QCOMPARE(lod->currentIndex(), lastLod);
        QTRY_COMPARE(QByteArray(reinterpret_cast<const char*>(&g_FlashData), 16),
                     HidSimControl::configImage("m17").left(16));

        qInfo("%d reports, %d clicks, %s", injected.load(), clicks, qPrintable(pulse.describe()));
        QCOMPARE(injected.load(), 4500);
        // No stall that lasts while the reports come: a GUI held up by the flood
        // stands still for nearly all of it; a busy machine's pauses stay far below that.
        QVERIFY2(pulse.keptBeating(0.75), qPrintable(pulse.describe()));
    }
};

QTEST_MAIN(TestSensorFlood)
#include "tst_sensorflood.moc"
