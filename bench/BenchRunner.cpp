#include "BenchRunner.h"

#include "ProbeOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
// The fixed waits the program makes on the way from a click on a device to its pages.
constexpr double kOpenSleepMs = 150;      // plain sleep before the device thread starts
constexpr double kWaitDialogMs = 2500;    // the wait dialog's single-shot timer
// An import: the wait dialog's timer, then five 500 ms waits while the pages
// show the file, during which the image is sent.
constexpr double kImportTimerMs = 2500;
constexpr double kImportShowMs = 5 * 500;
// A whole configuration read or write: 6912 bytes in 64-byte reports.
constexpr double kImageReports = 108;
constexpr int kChildTimeoutMs = 180000;
// The firmware update steps each device on a 1000 ms timer: its transfer starts
// on the second tick; the receiver's end is taken up on the fourth tick or the
// first after it, and the tick after that hands over to the mouse, whose end
// completes the update.
constexpr double kUpdateTickMs = 1000;
constexpr double kUpdateTicksBeforeTransfer = 2;
constexpr double kUpdateFirstEndTick = 4;

const char kCableScenario[] = R"({"vendorId": "3A7C", "mice": [
  {"id": "m7", "cid": 51, "mid": 7, "usbPid": "0A01", "receiverKind": 0, "firmware": "v1.3",
   "cable": true, "powered": true, "battery": 100, "pairedTo": ""}], "receivers": []})";

const char kReceiver8kScenario[] = R"({"vendorId": "3A7C", "mice": [
  {"id": "m23", "cid": 51, "mid": 23, "usbPid": "0A01", "receiverKind": 8, "firmware": "v1.3",
   "cable": false, "powered": true, "battery": 91, "pairedTo": "r23"}],
 "receivers": [{"id": "r23", "kind": 8, "address": "8C2308", "firmware": "v1.3", "plugged": true}]})";

// A mouse on its cable beside its 4K receiver, both a version behind the images
// the program ships for them: the update takes the receiver, then the mouse.
const char kUpdateScenario[] = R"({"vendorId": "3A7C", "mice": [
  {"id": "m16", "cid": 51, "mid": 16, "usbPid": "0A01", "receiverKind": 4, "firmware": "v1.3",
   "cable": true, "powered": true, "battery": 100, "pairedTo": "r16"}],
 "receivers": [{"id": "r16", "kind": 4, "cid": 51, "mid": 16, "address": "4C1604", "firmware": "v1.3", "plugged": true}]})";
const char* const kUpdateImages[] = {BENCH_APP_DIR "/bin/m16_receiver.bin", BENCH_APP_DIR "/bin/m16_mouse.bin"};

double median(QVector<double> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    const int n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

QString spread(const QVector<double>& v, double scale = 1)
{
    if (v.size() < 2)
        return QString();
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    return QStringLiteral("%1..%2").arg(*lo / scale, 0, 'f', 1).arg(*hi / scale, 0, 'f', 1);
}

void line(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// One row: figure, program, floor, ratio, distance to the floor, target, verdict, range.
void row(const QString& figure, const QString& program, const QString& floor, const QString& ratio,
         const QString& over, const QString& target, bool met, const QString& range)
{
    line(QStringLiteral("%1 %2 %3 %4 %5  %6 %7  %8")
             .arg(figure, -44)
             .arg(program, 10)
             .arg(floor, 10)
             .arg(ratio, 6)
             .arg(over, 10)
             .arg(target, -16)
             .arg(met ? QStringLiteral("met") : QStringLiteral("MISSED"), -6)
             .arg(range));
}

QString msText(double v)
{
    return QString::number(v, 'f', 1) + QStringLiteral(" ms");
}

QString mibText(double kb)
{
    return QString::number(kb / 1024, 'f', 1) + QStringLiteral(" MiB");
}

QString ratioText(double a, double b)
{
    return b > 0 ? QString::number(a / b, 'f', 2) + QLatin1Char('x') : QStringLiteral("-");
}

QString overText(double a, double b)
{
    return QString::asprintf("%+.1f ms", a - b);
}
}

namespace {
// The virtual devices keep their flash in files written with a sync to disk; on
// a disk that sync alone can take longer than a whole transfer. They are the
// rig, not the program, so their folder lies in memory where there is one.
QString deviceFolderBase()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return (shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath())
        + QStringLiteral("/desklink-bench-devices-XXXXXX");
}
}

BenchRunner::BenchRunner(const Options& options)
    : m_options(options), m_deviceFolders(deviceFolderBase())
{
    m_connections.append({QStringLiteral("cable"), QStringLiteral("m7"), 1000, kCableScenario, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}});
    if (!options.shortRun)
        m_connections.append(
            {QStringLiteral("8K"), QStringLiteral("m23"), 125, kReceiver8kScenario, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}});
}

QProcessEnvironment BenchRunner::environment(const QString& hidsimDir) const
{
    const QString home = m_work.path() + QStringLiteral("/home");
    const QString runtime = m_work.path() + QStringLiteral("/run");
    QDir().mkpath(home);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("HIDSIM_DIR"), hidsimDir);
    env.insert(QStringLiteral("DESKLINK_APP_DIR"), QStringLiteral(BENCH_APP_DIR));
    env.insert(QStringLiteral("DESKLINK_BENCH_PICTURE"),
               QStringLiteral(BENCH_APP_DIR "/Picture/DialogChange/MainBack.png"));
    // Real time: the fixed waits and the transfer times are part of the floors.
    env.insert(QStringLiteral("DESKLINK_TIME_SCALE"), QStringLiteral("1"));
    env.insert(QStringLiteral("HIDSIM_TIME_SCALE"), QStringLiteral("1"));
    return env;
}

QString BenchRunner::devicesPath() const
{
    return m_deviceFolders.isValid() ? m_deviceFolders.path() : m_work.path();
}

bool BenchRunner::resetDevices(const QString& dir, const QByteArray& scenario)
{
    QDir(dir + QStringLiteral("/flash")).removeRecursively();
    QDir().mkpath(dir);
    QFile file(dir + QStringLiteral("/scenario.json"));
    if (file.open(QIODevice::WriteOnly) && file.write(scenario) == scenario.size() && file.flush())
        return true;
    m_failures << QStringLiteral("cannot write the virtual devices in ") + dir;
    return false;
}

bool BenchRunner::runChild(const QString& what, const QString& program, const QProcessEnvironment& env,
                           QList<QByteArrayList>* lines, qint64* startNs, const QStringList& arguments)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.setProgram(program);
    p.setArguments(arguments);
    *startNs = ProbeOutput::nowNs();
    p.start();
    const bool finished = p.waitForFinished(kChildTimeoutMs);
    if (!finished)
        p.kill(), p.waitForFinished(5000);

    lines->clear();
    bool error = false;
    for (const QByteArray& l : p.readAllStandardOutput().split('\n')) {
        const QByteArrayList fields = l.trimmed().split(' ');
        if (fields.value(0).isEmpty())
            continue;
        lines->append(fields);
        if (fields.first() == "error")
            error = true;
    }
    if (finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 && !error)
        return true;

    QString why = !finished ? QStringLiteral("did not end within %1 s").arg(kChildTimeoutMs / 1000)
                  : p.exitStatus() == QProcess::CrashExit ? QStringLiteral("crashed")
                                                          : QStringLiteral("ended with code %1").arg(p.exitCode());
    for (const QByteArrayList& f : qAsConst(*lines)) {
        if (f.first() == "error")
            why += QStringLiteral(": ") + QString::fromUtf8(f.mid(1).join(' '));
    }
    m_failures << what + QStringLiteral(" ") + why;
    const QByteArray err = p.readAllStandardError();
    line(QStringLiteral("!! %1 %2\n%3").arg(what, why, QString::fromLocal8Bit(err.right(4000))));
    return false;
}

void BenchRunner::measureStartUp()
{
    const QProcessEnvironment env = environment(devicesPath() + QStringLiteral("/hidsim-sample"));
    auto once = [&](const QString& what, const QString& program, StartUp* into) {
        QList<QByteArrayList> lines;
        qint64 startNs = 0;
        if (!runChild(what, program, env, &lines, &startNs) || !into)
            return;
        for (const QByteArrayList& f : qAsConst(lines)) {
            const double ms = double(f.value(1).toLongLong() - startNs) / 1e6;
            if (f.first() == "app")
                into->appMs.append(ms);
            else if (f.first() == "shown")
                into->shownMs.append(ms);
            else if (f.first() == "frame")
                into->frameMs.append(ms);
            else if (f.first() == "hwm")
                into->memKb.append(f.value(1).toDouble());
        }
    };
    // A first start of each, not counted: it creates the data folders and the
    // virtual devices and brings the files into the page cache.
    once(QStringLiteral("bare window"), QStringLiteral(BENCH_BARE_WINDOW), nullptr);
    once(QStringLiteral("program start-up"), QStringLiteral(BENCH_PROGRAM), nullptr);
    // Alternated, so that a slow phase of the machine hits both alike.
    for (int i = 0; i < m_options.runs; ++i) {
        once(QStringLiteral("bare window"), QStringLiteral(BENCH_BARE_WINDOW), &m_bare);
        once(QStringLiteral("program start-up"), QStringLiteral(BENCH_PROGRAM), &m_program);
    }
}

void BenchRunner::measureDevice(Connection& c)
{
    const QString dir = devicesPath() + QStringLiteral("/hidsim-") + c.mouseId;
    QProcessEnvironment env = environment(dir);
    env.insert(QStringLiteral("DESKLINK_BENCH_MODE"), QStringLiteral("open"));
    env.insert(QStringLiteral("DESKLINK_BENCH_MOUSE"), c.mouseId);
    env.insert(QStringLiteral("DESKLINK_BENCH_WRITES"), QString::number(m_options.shortRun ? 1 : 3));
    env.insert(QStringLiteral("DESKLINK_BENCH_BUTTONS"), QStringLiteral("1"));
    for (int i = 0; i < m_options.runs; ++i) {
        // Each run from the factory settings: a macro a run put on a button
        // would otherwise be there before the next one binds it.
        if (!resetDevices(dir, c.scenario))
            return;
        QList<QByteArrayList> lines;
        qint64 startNs = 0;
        if (!runChild(QStringLiteral("open and write (%1)").arg(c.name), QStringLiteral(BENCH_PROGRAM), env, &lines,
                      &startNs))
            continue;
        for (const QByteArrayList& f : qAsConst(lines)) {
            const QByteArray key = f.first();
            const double v = f.value(1).toDouble();
            if (key == "open-values")
                c.values.append(v);
            else if (key == "open-dialog")
                c.dialog.append(v);
            else if (key == "open-page")
                c.page.append(v);
            else if (key == "hwm")
                m_openMemKb.append(v);
            else if (key == "write") {
                c.write.append(v);
                c.busy.append(f.value(2).toDouble());
            } else if (key == "button") {
                c.button.append(v);
                c.buttonBusy.append(f.value(2).toDouble());
            } else if (key == "macro") {
                c.macro.append(v);
                c.macroBusy.append(f.value(2).toDouble());
            } else if (key == "import") {
                c.import.append(v);
                c.importBusy.append(f.value(2).toDouble());
            } else if (key == "hwm-pages") {
                m_pagesMemKb.append(v);
            }
        }
    }
}

void BenchRunner::measureUpdate()
{
    const QString dir = devicesPath() + QStringLiteral("/hidsim-update");
    const QStringList images = {QLatin1String(kUpdateImages[0]), QLatin1String(kUpdateImages[1])};
    QProcessEnvironment env = environment(dir);
    env.insert(QStringLiteral("DESKLINK_BENCH_MODE"), QStringLiteral("update"));
    env.insert(QStringLiteral("DESKLINK_BENCH_MOUSE"), QStringLiteral("m16"));
    for (int i = 0; i < m_options.runs; ++i) {
        // The same two transfers with no program around them, on the same
        // devices, then the program's update from a fresh start.
        QList<QByteArrayList> lines;
        qint64 startNs = 0;
        if (!resetDevices(dir, kUpdateScenario))
            return;
        if (!runChild(QStringLiteral("bare transfers"), QStringLiteral(BENCH_TRANSFER), env, &lines, &startNs, images))
            continue;
        QVector<double> transfer;
        for (const QByteArrayList& f : qAsConst(lines)) {
            if (f.first() == "transfer")
                transfer.append(f.value(1).toDouble());
        }
        if (transfer.size() != 2) {
            m_failures << QStringLiteral("bare transfers: %1 of 2 reported").arg(transfer.size());
            continue;
        }
        const double receiverTicks =
            std::max(kUpdateFirstEndTick, std::ceil(kUpdateTicksBeforeTransfer + transfer[0] / kUpdateTickMs)) + 1;
        const double floor = kUpdateTickMs * (receiverTicks + kUpdateTicksBeforeTransfer) + transfer[1];
        if (!resetDevices(dir, kUpdateScenario))
            return;
        if (!runChild(QStringLiteral("firmware update"), QStringLiteral(BENCH_PROGRAM), env, &lines, &startNs))
            continue;
        for (const QByteArrayList& f : qAsConst(lines)) {
            if (f.first() != "update")
                continue;
            m_update.append(f.value(1).toDouble());
            m_updateBusy.append(f.value(2).toDouble());
            m_updateFloor.append(floor);
            m_updateTransfers.append(transfer[0] + transfer[1]);
        }
    }
}

void BenchRunner::printReport() const
{
    line(QString());
    line(QStringLiteral("DeskLink benchmark on %1, real time; each figure the median of its runs (range in the last column)")
             .arg(qEnvironmentVariable("DESKLINK_BENCH_DISPLAY", qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("xcb")))));
    line(QStringLiteral("%1 %2 %3 %4 %5  %6 %7  %8")
             .arg(QStringLiteral("figure"), -44)
             .arg(QStringLiteral("program"), 10)
             .arg(QStringLiteral("floor"), 10)
             .arg(QStringLiteral("ratio"), 6)
             .arg(QStringLiteral("vs floor"), 10)
             .arg(QStringLiteral("target"), -16)
             .arg(QStringLiteral(""), -6)
             .arg(QStringLiteral("range")));

    if (!m_program.frameMs.isEmpty() && !m_bare.frameMs.isEmpty()) {
        const double p = median(m_program.frameMs), f = median(m_bare.frameMs);
        row(QStringLiteral("start-up to top window shown (%1)").arg(m_program.frameMs.size()), msText(p), msText(f),
            ratioText(p, f), overText(p, f), QStringLiteral("<= 1.2x floor"), p <= 1.2 * f, spread(m_program.frameMs));
    }
    for (const Connection& c : m_connections) {
        const double transfer = kImageReports * c.intervalUs / 1000;
        auto timed = [&](const QString& figure, const QVector<double>& v, double floor, double slack) {
            if (v.isEmpty())
                return;
            const double p = median(v);
            row(figure.arg(c.name).arg(v.size()), msText(p), msText(floor), ratioText(p, floor), overText(p, floor),
                QStringLiteral("<= floor + %1 ms").arg(slack), p <= floor + slack, spread(v));
        };
        timed(QStringLiteral("open, %1: values on sensor page (%2)"), c.values, kOpenSleepMs + transfer, 50);
        timed(QStringLiteral("open, %1: wait dialog closed (%2)"), c.dialog,
              kOpenSleepMs + std::max(kWaitDialogMs, transfer), 50);
        timed(QStringLiteral("open, %1: sensor page shown (%2)"), c.page, kOpenSleepMs + std::max(kWaitDialogMs, transfer),
              50);
        auto busy = [&](const QString& figure, const QVector<double>& v) {
            if (v.isEmpty())
                return;
            const double p = median(v);
            const double worst = *std::max_element(v.begin(), v.end());
            row(figure.arg(c.name).arg(v.size()), msText(p), QString(), QString(), QString(),
                QStringLiteral("every run <= 16 ms"), worst <= 16, spread(v));
        };
        timed(QStringLiteral("write, %1: flash holds rate (%2)"), c.write, transfer, 20);
        busy(QStringLiteral("write, %1: longest GUI busy (%2)"), c.busy);
        timed(QStringLiteral("button function, %1: flash holds it (%2)"), c.button, transfer, 10);
        busy(QStringLiteral("button function, %1: longest GUI busy (%2)"), c.buttonBusy);
        timed(QStringLiteral("macro on button, %1: flash holds it (%2)"), c.macro, transfer, 10);
        busy(QStringLiteral("macro on button, %1: longest GUI busy (%2)"), c.macroBusy);
        timed(QStringLiteral("import, %1: wait dialog closed (%2)"), c.import,
              kImportTimerMs + std::max(transfer, kImportShowMs), 50);
        busy(QStringLiteral("import, %1: longest GUI busy (%2)"), c.importBusy);
    }
    if (!m_update.isEmpty()) {
        const double p = median(m_update), f = median(m_updateFloor);
        row(QStringLiteral("firmware update, receiver and mouse (%1)").arg(m_update.size()), msText(p), msText(f),
            ratioText(p, f), overText(p, f), QStringLiteral("<= 1.05x floor"), p <= 1.05 * f, spread(m_update));
        const double worst = *std::max_element(m_updateBusy.begin(), m_updateBusy.end());
        row(QStringLiteral("firmware update: longest GUI busy (%1)").arg(m_updateBusy.size()), msText(median(m_updateBusy)),
            QString(), QString(), QString(), QStringLiteral("every run <= 16 ms"), worst <= 16, spread(m_updateBusy));
    }
    if (!m_openMemKb.isEmpty() && !m_bare.memKb.isEmpty()) {
        const double p = median(m_openMemKb), f = median(m_bare.memKb);
        row(QStringLiteral("peak memory after opening (%1)").arg(m_openMemKb.size()), mibText(p), mibText(f),
            ratioText(p, f), QString(), QStringLiteral("<= 2x floor"), p <= 2 * f, spread(m_openMemKb, 1024));
    }
    if (!m_pagesMemKb.isEmpty() && !m_bare.memKb.isEmpty()) {
        const double p = median(m_pagesMemKb), f = median(m_bare.memKb);
        row(QStringLiteral("peak memory after every page (%1)").arg(m_pagesMemKb.size()), mibText(p), mibText(f),
            ratioText(p, f), QString(), QStringLiteral("<= 1.5x floor"), p <= 1.5 * f, spread(m_pagesMemKb, 1024));
    }
    auto phases = [](const StartUp& s) {
        return QStringLiteral("Qt ready %1, window built %2, first frame %3 ms")
            .arg(median(s.appMs), 0, 'f', 1)
            .arg(median(s.shownMs), 0, 'f', 1)
            .arg(median(s.frameMs), 0, 'f', 1);
    };
    if (!m_program.frameMs.isEmpty() && !m_bare.frameMs.isEmpty()) {
        line(QString());
        line(QStringLiteral("Start-up phases after process start (medians): program %1; floor %2.")
                 .arg(phases(m_program), phases(m_bare)));
    }
    line(QString());
    line(QStringLiteral("Floors: start-up and memory: a bare Qt Widgets program showing one frameless 1020x700 window with "
                        "one picture, measured alternately in this run. Open: the 150 ms wait before the device thread "
                        "starts, plus the read of the whole configuration (108 reports at the report interval) for its "
                        "values; 150 ms plus the wait dialog's 2500 ms timer, under which the read runs, for the dialog "
                        "and the page. Write, button function and macro on a button: the whole image sent, 108 reports at the report interval. Import: the wait dialog's 2500 ms timer, then the 5 x 500 ms the pages are given to show the file, while the image is sent (the longer of the two). Firmware update: "
                        "the update's 1000 ms timer ticks, each device's transfer starting on its second; the receiver's "
                        "end taken up on its fourth tick or the first after it and handed over to the mouse on the next, "
                        "the mouse's end completing the update; the transfers as measured in this run by handing the "
                        "same images straight to the device library (%2 for both). The virtual devices keep their "
                        "folder in %1.")
             .arg(devicesPath(), msText(median(m_updateTransfers))));
}

int BenchRunner::run()
{
    if (!m_work.isValid()) {
        line(QStringLiteral("!! no temporary folder"));
        return 1;
    }
    line(QStringLiteral("%1 run(s) per figure%2").arg(m_options.runs).arg(m_options.shortRun ? QStringLiteral(" (short)") : QString()));
    line(QStringLiteral("start-up ..."));
    measureStartUp();
    for (Connection& c : m_connections) {
        line(QStringLiteral("open and write, %1 ...").arg(c.name));
        measureDevice(c);
    }
    line(QStringLiteral("firmware update ..."));
    measureUpdate();
    printReport();
    if (m_failures.isEmpty())
        return 0;
    line(QStringLiteral("\nNot measured: ") + m_failures.join(QStringLiteral("; ")));
    return 1;
}
