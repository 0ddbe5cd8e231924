#pragma once

#include <QByteArrayList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

// Runs the measured programs one after another, each in a process of its own
// with its own HOME and virtual devices, and prints every figure as the median
// of its runs next to a floor measured or computed in the same run. Figures
// never make it fail; a measured program that crashes or stops reporting does.
class BenchRunner
{
public:
    struct Options
    {
        bool shortRun = false;
        int runs = 5;
    };

    explicit BenchRunner(const Options& options);

    // Returns the process exit code: 0, or 1 when a measurement could not be taken.
    int run();

private:
    struct Connection
    {
        QString name;
        QString mouseId;
        double intervalUs;
        QByteArray scenario;
        QVector<double> values, dialog, page, write, busy, button, buttonBusy, macro, macroBusy, import, importBusy;
    };

    // Moments after the process start: Qt ready, top window built, first frame.
    struct StartUp
    {
        QVector<double> appMs, shownMs, frameMs, memKb;
    };

    // One measured process: its report lines, split into fields, and the
    // monotonic time just before it was started. False when it failed.
    bool runChild(const QString& what, const QString& program, const QProcessEnvironment& env,
                  QList<QByteArrayList>* lines, qint64* startNs, const QStringList& arguments = {});
    QProcessEnvironment environment(const QString& hidsimDir) const;
    // Fresh virtual devices in `dir`: the scenario, and no flash from an earlier
    // run. False, with the failure noted, when they cannot be written.
    bool resetDevices(const QString& dir, const QByteArray& scenario);
    // Where the virtual devices' folders go: in memory when possible.
    QString devicesPath() const;

    void measureStartUp();
    void measureDevice(Connection& c);
    void measureUpdate();
    void printReport() const;

    Options m_options;
    QTemporaryDir m_work;
    QTemporaryDir m_deviceFolders;
    QVector<Connection> m_connections;
    StartUp m_bare, m_program;
    QVector<double> m_openMemKb, m_pagesMemKb;
    // The update of receiver and mouse: the program's time, its floor, the
    // bare transfers alone, and the GUI thread's longest busy time.
    QVector<double> m_update, m_updateFloor, m_updateTransfers, m_updateBusy;
    QStringList m_failures;
};
