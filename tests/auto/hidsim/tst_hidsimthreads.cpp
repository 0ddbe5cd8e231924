// The device library's threading rules, which the program's report handler and
// device-change handling rely on: callbacks come from the library's own threads,
// the library never waits for a callback, and plug changes arrive in bursts.
#include "HidSimTestKit.h"

#include <atomic>
#include <condition_variable>
#include <future>

using kit::HidSimControl;
using kit::Reports;

namespace {

const char kScenario[] = R"({
  "mice": [ {"id": "m1", "mid": 8, "receiverKind": 1, "cable": true},
            {"id": "m2", "mid": 9, "receiverKind": 2, "pairedTo": "r2"} ],
  "receivers": [ {"id": "r2", "kind": 2, "address": "000102"},
                 {"id": "r3", "kind": 4, "address": "000103", "plugged": false},
                 {"id": "r4", "kind": 8, "address": "000104", "plugged": false} ]
})";

// A gate a callback can be held at, with a safety limit so a failing test ends.
class Gate
{
public:
    void close()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = false;
        m_entered = 0;
    }
    void open()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
        m_cv.notify_all();
    }
    void pass()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        ++m_entered;
        m_cv.notify_all();
        m_cv.wait_for(lock, std::chrono::seconds(10), [this] { return m_open; });
    }
    int entered()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_entered;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_open = true;
    int m_entered = 0;
};

Gate g_gate;
std::atomic<int> g_blockedReports{0};
std::atomic<int> g_changeCalls{0};
std::atomic<int> g_secondCalls{0};
std::mutex g_threadsMutex;
std::vector<std::thread::id> g_callbackThreads;

void noteThread()
{
    std::lock_guard<std::mutex> lock(g_threadsMutex);
    g_callbackThreads.push_back(std::this_thread::get_id());
}

void blockingReport(unsigned char*, int, unsigned char*, unsigned int)
{
    ++g_blockedReports;
    g_gate.pass();
}

void countingChange()
{
    noteThread();
    ++g_changeCalls;
}

void blockingChange()
{
    ++g_changeCalls;
    g_gate.pass();
}

void secondChange()
{
    ++g_secondCalls;
}

void reRegisteringChange()
{
    ++g_changeCalls;
    StartUsbChanged(secondChange, 600);
}

void progress(unsigned char* message)
{
    if (message[1] == 2)
        noteThread();
}

// Runs the calls on a helper thread (the test thread must stay free to open the
// gate) and tells whether they all returned while the gate stayed shut. Calls
// that wait for the blocked callback never return before the gate opens, so the
// limit only has to outlast the slowest machine, not to be tight.
bool returnsPromptly(const std::function<void()>& calls, int limitMs = 60000)
{
    auto done = std::async(std::launch::async, calls);
    return done.wait_for(std::chrono::milliseconds(limitMs)) == std::future_status::ready;
}

}  // namespace

class tst_HidSimThreads : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void callbacksRunOnLibraryThreads();
    void linkCallsReturnWhileReportCallbackBlocks();
    void changeCallsReturnWhileChangeCallbackBlocks();
    void plugsWithinTheIntervalGiveOneCall();
    void reRegisteringInsideTheCallback();
    void stoppedRegistrationGetsNoCall();
    void callLogReadWhileCallsAreRecorded();
};

void tst_HidSimThreads::initTestCase()
{
    kit::useTemporaryFolderUnlessSet();
}

void tst_HidSimThreads::init()
{
    QString error;
    QVERIFY2(HidSimControl::reset(kScenario, &error), qPrintable(error));
    HidSimControl::setTimeScale(0.05);
    Reports::clear();
    g_gate.open();
    g_blockedReports = 0;
    g_changeCalls = 0;
    g_secondCalls = 0;
    std::lock_guard<std::mutex> lock(g_threadsMutex);
    g_callbackThreads.clear();
}

void tst_HidSimThreads::cleanup()
{
    g_gate.open();
    StopUsbChanged();
    UsbServer_Exit();
}

void tst_HidSimThreads::callbacksRunOnLibraryThreads()
{
    const std::thread::id caller = std::this_thread::get_id();
    kit::openLink("m1");
    UsbServer_ReadConfig();
    StartUsbChanged(countingChange, 600);
    const QByteArray image = kit::firmwareImage(210, 51, 8, "ORX-M8", 1, 4, 256);
    QVERIFY(UsbUpgrade_Start(reinterpret_cast<const unsigned char*>(image.constData()), progress, 10000));

    QVERIFY(Reports::waitFor(14));
    QVERIFY(kit::waitUntil([] { return g_changeCalls > 0; }));
    QVERIFY(kit::waitUntil([] {
        std::lock_guard<std::mutex> lock(g_threadsMutex);
        return g_callbackThreads.size() >= 2;
    }));
    for (const kit::Report& r : Reports::all())
        QVERIFY(r.thread != caller);
    std::lock_guard<std::mutex> lock(g_threadsMutex);
    for (std::thread::id t : g_callbackThreads)
        QVERIFY(t != caller);
    // The call log tells which thread called.
    const QVector<hidsim::CallRecord> log = HidSimControl::callLog();
    const auto start = std::find_if(log.begin(), log.end(),
                                    [](const hidsim::CallRecord& c) { return c.function == "UsbServerC_Start"; });
    QVERIFY(start != log.end());
    QVERIFY(start->thread == caller);
    QVERIFY(start->arguments.contains(QString::fromLatin1(HidSimControl::path("m1"))));
}

void tst_HidSimThreads::linkCallsReturnWhileReportCallbackBlocks()
{
    const QByteArray path = HidSimControl::path("m1");
    UsbServerC_Start(path.constData(), path.constData(), blockingReport);
    g_gate.close();
    UsbServer_ReadConfig();
    UsbServer_ReadVersion();  // queued behind the blocked one
    QVERIFY(kit::waitUntil([] { return g_gate.entered() == 1; }));

    const bool prompt = returnsPromptly([&path] {
        UsbServer_Exit();
        UsbServerC_Start(path.constData(), path.constData(), blockingReport);
        UsbServer_SetPCDriverStatus(true);
        FlashDataMap image{};
        ProtocolDataUpdate(&image);
        UsbFinderC_GetDeviceOnLine(path.constData());
        StopUsbChanged();
        StartUsbChanged(countingChange, 600);
        UsbServer_Exit();
    });
    g_gate.open();
    QVERIFY2(prompt, "a library call waited for the blocked report callback");
    // The answer queued for the closed link is dropped, not delivered late.
    QTest::qWait(50);
    QCOMPARE(g_blockedReports.load(), 1);
}

void tst_HidSimThreads::changeCallsReturnWhileChangeCallbackBlocks()
{
    g_gate.close();
    StartUsbChanged(blockingChange, 600);
    QVERIFY(kit::waitUntil([] { return g_gate.entered() == 1; }));
    const QByteArray path = HidSimControl::path("m1");
    const bool prompt = returnsPromptly([&path] {
        StopUsbChanged();
        StartUsbChanged(blockingChange, 600);
        UsbServerC_Start(path.constData(), path.constData(), kit::Reports::onData);
        UsbServer_Exit();
        HidSimControl::plug("r3");
        StopUsbChanged();
    });
    g_gate.open();
    QVERIFY2(prompt, "a library call waited for the blocked device-change callback");
    QTest::qWait(100);
    QCOMPARE(g_changeCalls.load(), 1);  // nothing arrives for the stopped registration
}

void tst_HidSimThreads::plugsWithinTheIntervalGiveOneCall()
{
    HidSimControl::setTimeScale(0.5);  // a 300 ms window: room for three plugs
    StartUsbChanged(countingChange, 600);
    QVERIFY(kit::waitUntil([] { return g_changeCalls == 1; }));  // the first call after registering
    QTest::qWait(50);
    QCOMPARE(g_changeCalls.load(), 1);

    QElapsedTimer plugging;
    plugging.start();
    QVERIFY(HidSimControl::plug("r3"));
    QVERIFY(HidSimControl::plug("r4"));
    QVERIFY(HidSimControl::unplug("r3"));
    if (plugging.elapsed() > 250)
        QSKIP("this machine needed longer than the window for three plugs");
    QVERIFY(kit::waitUntil([] { return g_changeCalls == 2; }, 3000));
    QTest::qWait(400);
    QCOMPARE(g_changeCalls.load(), 2);

    // A change that leaves the list as it was (battery) calls nobody.
    QVERIFY(HidSimControl::setBattery("m2", 10, false));
    QTest::qWait(400);
    QCOMPARE(g_changeCalls.load(), 2);
}

void tst_HidSimThreads::reRegisteringInsideTheCallback()
{
    StartUsbChanged(reRegisteringChange, 600);
    QVERIFY(kit::waitUntil([] { return g_secondCalls == 1; }));
    QVERIFY(HidSimControl::unplug("r2"));
    QVERIFY(kit::waitUntil([] { return g_secondCalls == 2; }));
    QCOMPARE(g_changeCalls.load(), 1);  // the replaced callback is not called again
}

void tst_HidSimThreads::stoppedRegistrationGetsNoCall()
{
    StartUsbChanged(countingChange, 600);
    QVERIFY(kit::waitUntil([] { return g_changeCalls == 1; }));
    StopUsbChanged();
    QVERIFY(HidSimControl::plug("r3"));
    QTest::qWait(200);  // well beyond the scaled window of 30 ms
    QCOMPARE(g_changeCalls.load(), 1);
}

void tst_HidSimThreads::callLogReadWhileCallsAreRecorded()
{
    HidSimControl::clearCallLog();
    std::atomic<bool> done{false};
    std::thread caller([&done] {
        for (int i = 0; i < 1000; ++i)
            UsbFinderC_GetDeviceOnLine("a");
        done = true;
    });
    int reads = 0;
    while (!done || reads == 0) {
        QVector<hidsim::CallRecord> log = HidSimControl::callLog();
        for (hidsim::CallRecord& r : log)  // a changeable copy, as tests filter it
            QCOMPARE(r.function, QString("UsbFinderC_GetDeviceOnLine"));
        log.append(hidsim::CallRecord());
        ++reads;
    }
    caller.join();
    QCOMPARE(HidSimControl::callLog().size(), 1000);
}

QTEST_GUILESS_MAIN(tst_HidSimThreads)
#include "tst_hidsimthreads.moc"
