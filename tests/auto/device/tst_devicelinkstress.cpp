#include "DeviceLinkFixture.h"
#include "ImageBytes.h"

#include "app/Globals.h"
#include "device/AnnotatedMutexLocker.h"
#include "device/DeviceWriters.h"
#include "device/Worker.h"
#include "device/WorkingImage.h"

#include <HidSimControl.h>

#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>

using hidsim::HidSimControl;

namespace {
// The working image, copied under the device link's own lock.
QByteArray workingImage()
{
    AnnotatedMutexLocker lock(g_FlashDataMutex);
    return QByteArray(reinterpret_cast<const char*>(&g_FlashData), sizeof g_FlashData);
}
}

// Writers firing on the GUI thread while the mouse's reports stream in on the
// library's thread: the working image must stay whole and nothing may hang.
// Run it under ThreadSanitizer as well.
class TestDeviceLinkStress : public QObject
{
    Q_OBJECT

private:
    DeviceLinkFixture m_fixture;

private slots:
    void init()
    {
        QVERIFY(m_fixture.setUp());
        m_fixture.createWorker();
    }
    void cleanup() { m_fixture.tearDown(); }

    void writersWhileReportsStream()
    {
        QVERIFY(m_fixture.openDevice("m7"));
        QTRY_VERIFY(!g_Worker->passActive());
        QTRY_VERIFY(m_fixture.pages()->count("UpDataConfigUI") > 0);

        // The pages read the working image while they apply a copy, as real ones do.
        std::atomic<int> offGui{0};
        m_fixture.pages()->onEvent = [&offGui](const DeviceLinkPageRecorder::Event& e) {
            if (!e.onGuiThread)
                ++offGui;
            AnnotatedMutexLocker lock(g_FlashDataMutex);
            volatile int rate = g_FlashData.reportRate;
            Q_UNUSED(rate)
        };

        using H = DeviceLinkFixture;
        const QList<QPair<QByteArray, QByteArray>> reports = {
            {H::header(8, 0), bytes({2})},
            {H::header(8, 4), bytes({1})},
            {H::header(8, 0x4C), bytes({2, 0xFD, 3, 0xFC, 1, 0xFE, 1, 0xFE})},
            {H::header(8, 0xA0), bytes({1, 9, 8, 7, 2, 3, 1, 0, (1 + 9 + 8 + 7 + 2 + 3 + 1) & 0xFF})},
            {H::header(4), bytes({0, 70, 0, 0})},
            {H::header(14), bytes({0})},
            {H::header(10), bytes({0x03})},  // DPI stage and rate changed: targeted reads
        };
        // The reports go through the library's own queue and callback thread; a
        // marker comes last.
        QThread* stream = QThread::create([&] {
            for (int i = 0; i < 70; ++i) {
                const auto& r = reports.at(i % reports.size());
                HidSimControl::injectReport(r.first, r.second);
                QThread::usleep(300);
            }
            HidSimControl::injectReport(H::header(14), bytes({3}));
        });
        auto markerSeen = [this] {
            return m_fixture.pages()->last("UpDataConfigUI").args == (QVariantList{4, 3, true});
        };

        int writes = 0;
        QTimer writer;
        writer.setInterval(3);
        connect(&writer, &QTimer::timeout, this, [&writes] {
            switch (writes++ % 5) {
            case 0: WriteReportRateToDevice(writes % 2 ? 1 : 8); break;
            case 1: WriteDpiIndexToDevice(quint8(writes % 4)); break;
            case 2: WriteDpiColorToDevice(writes % 8, quint8(writes), 2, 3); break;
            case 3: WriteLightModeToDevice(writes % 3); break;
            case 4: WriteButtonToDevice(writes % 6, 1, quint8(writes), 0); break;
            }
        });

        QElapsedTimer clock;
        clock.start();
        stream->start();
        writer.start();
        // The writer keeps going until it has raced the stream long enough,
        // however fast this machine gets through the reports.
        QVERIFY(QTest::qWaitFor([&] { return markerSeen() && writes > 20; }, 60000));
        writer.stop();
        stream->wait();
        delete stream;
        QTest::qWait(50);  // answers to the last targeted reads
        m_fixture.pages()->onEvent = nullptr;

        QCOMPARE(offGui.load(), 0);
        QVERIFY(WorkingImage::isCurrent());

        // One more write sends the whole working image: the mouse then holds
        // exactly it. An answer to one of the last targeted reads may still
        // patch the working image after that write, however long the test
        // waits for it on a slow machine; the next write then sends it again.
        bool same = false;
        for (int tries = 0; tries < 50 && !same; ++tries) {
            QVERIFY(WriteSleepTimeToDevice(60));
            same = QTest::qWaitFor([&] { return HidSimControl::configImage("m7") == workingImage(); }, 1000);
        }
        QCOMPARE(HidSimControl::configImage("m7"), workingImage());
        qInfo("%d writes in %lld ms", writes, clock.elapsed());
    }
};

QTEST_GUILESS_MAIN(TestDeviceLinkStress)
#include "tst_devicelinkstress.moc"
