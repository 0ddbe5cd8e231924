#pragma once

#include "DeviceLinkPageRecorder.h"
#include "TestHome.h"

#include "device/DeviceAllInfo.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class Worker;

// Sets up the device link against the simulated device library, in-process:
// a temporary HOME, a temporary application folder whose Config.ini is the
// fixture catalogue (tests/data/devicelink), the simulated devices of a
// scenario, the device-link globals at their start values, a page recorder
// standing in for the pages and, on request, the device thread.
//
// Create one per test executable (its constructor changes HOME, so build it
// before anything starts threads, e.g. as a member of the test object), then
// call setUp() in init() and tearDown() in cleanup().
class DeviceLinkFixture
{
public:
    DeviceLinkFixture();
    ~DeviceLinkFixture();

    // Fresh catalogue, devices, globals, cache folder and registry. An empty
    // scenario or catalogue means the fixture's own.
    bool setUp(const QByteArray& scenario = QByteArray(), const QString& catalogue = QString());
    // setUp() for tests of whole pages: the shipped catalogue, sensor table and
    // pictures in the application folder, and the shipped language tables loaded.
    bool setUpShipped(const QByteArray& scenario);
    // Stops the device thread and the link, drops the recorder and restores paths.
    void tearDown();

    static QByteArray fixtureScenario();
    static QString fixtureCatalogue();
    // The catalogue the program ships (its Config.ini).
    static QString shippedCatalogue();
    // Replaces Config.ini and reopens the store.
    void writeCatalogue(const QString& text);
    QString appDir() const;

    DeviceLinkPageRecorder* pages() const { return m_pages.get(); }

    // Creates the device thread object (g_Worker) as the button page does.
    Worker* createWorker();

    // The list page's view of a simulated device (scan, then refresh each entry);
    // an empty record when it is not listed.
    DeviceAllInfo listEntry(const QString& simId);
    // Opens the device as a click on the list does (select, enable the link, start
    // the thread). With waitForRead, returns once the pages got the first full read.
    bool openDevice(const QString& simId, bool waitForRead = true);
    // For report and writer tests: links the listed device (a mouse on its cable or
    // a receiver) with a callback that drops every report, makes it the current
    // device and the configuration the mouse holds the working image.
    bool linkWithoutReports(const QString& listedId, const QString& mouseId = QString());
    // Sends the working image with `patch` (offset, value, offset, value, ...)
    // set, as a write does, and waits until `mouseId`'s flash holds it.
    static bool sendPatchedImage(const QString& mouseId, const QList<int>& patch);
    // Hands `mouseId`'s configuration to the pages as the link does after a full
    // read, from a thread of its own, serving the pages until it returns.
    static bool postButtonImage(const QString& mouseId);

    // Runs the report callback on a helper thread (as the library does) and keeps
    // the GUI thread serving the pages until it returns. The data is padded to the
    // 64 bytes the library guarantees; the lengths passed are the real ones.
    static bool deliverReport(const QByteArray& header, const QByteArray& data);
    // A 5-byte header: mark, type, sequence, address high, address low.
    static QByteArray header(int type, int address = 0);

    // The simulated library's call log: function names (optionally only those
    // equal to `function`), oldest first.
    static QStringList calls(const QString& function = QString());
    static int callCount(const QString& function);
    // The argument texts of each call of `function`, oldest first.
    static QStringList callArguments(const QString& function);
    static void clearCalls();

    // Every global the device link reads or writes back to its start value.
    static void resetDeviceLinkState();

private:
    TestHome m_home;
    QTemporaryDir m_appDir;
    std::unique_ptr<DeviceLinkPageRecorder> m_pages;
};
