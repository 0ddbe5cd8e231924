#include "DeviceLinkFixture.h"

#include "device/DeviceChangeRelay.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <thread>

namespace {
QStringList s_log;
int s_depth = 0;
int s_maxDepth = 0;
bool s_offGuiThread = false;
bool s_runNestedLoop = false;

void enter(const char* name)
{
    s_log << name;
    ++s_depth;
    s_maxDepth = qMax(s_maxDepth, s_depth);
    s_offGuiThread = s_offGuiThread || QThread::currentThread() != QCoreApplication::instance()->thread();
}

void handlerB()
{
    enter("B");
    --s_depth;
}

void handlerA()
{
    enter("A");
    if (s_runNestedLoop) {
        s_runNestedLoop = false;
        // Changes arrive from the library's thread while a modal dialog runs.
        std::thread([] {
            DeviceChangeRelay::post(&handlerA);
            DeviceChangeRelay::post(&handlerB);
        }).join();
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
        s_log << "dialog closed";
    }
    --s_depth;
}
}

class TestDeviceChangeRelay : public QObject
{
    Q_OBJECT

private:
    DeviceLinkFixture m_fixture;

private slots:
    void init()
    {
        s_log.clear();
        s_depth = s_maxDepth = 0;
        s_offGuiThread = false;
    }

    void changesDuringAModalDialogWaitForIt()
    {
        s_runNestedLoop = true;
        std::thread([] { DeviceChangeRelay::post(&handlerA); }).join();
        QTRY_COMPARE(s_log, (QStringList{"A", "dialog closed", "A", "B"}));
        QCOMPARE(s_maxDepth, 1);
        QVERIFY(!s_offGuiThread);
        QVERIFY(!DeviceChangeRelay::isHandling());
    }

    void callsBeforeTheHandlerRunsCollapse()
    {
        std::thread([] {
            for (int i = 0; i < 5; ++i)
                DeviceChangeRelay::post(&handlerB);
        }).join();
        QTest::qWait(20);
        QCOMPARE(s_log, QStringList{"B"});
        DeviceChangeRelay::post(&handlerB);  // a later change is handled again
        QTRY_COMPARE(s_log, (QStringList{"B", "B"}));
    }
};

QTEST_GUILESS_MAIN(TestDeviceChangeRelay)
#include "tst_devicechangerelay.moc"
