#pragma once

// Starts the start-up probe (startup_probe.cpp) as a process of its own with a
// given HOME and application folder, and reads the lines it reports.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>

class ProbeProcess : public QProcess
{
public:
    // `home` becomes HOME (and the XDG folders below it); `appDir` the
    // application folder; `action` what the probe does once its window shows.
    ProbeProcess(const QString& home, const QString& appDir, const QByteArray& action = "stay",
                 const QString& timeZone = QString())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home);
        env.insert("XDG_CONFIG_HOME", home + "/.config");
        env.insert("XDG_DATA_HOME", home + "/.local/share");
        env.insert("XDG_CACHE_HOME", home + "/.cache");
        env.insert("HIDSIM_DIR", home + "/hidsim");
        env.insert("DESKLINK_APP_DIR", appDir);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("DESKLINK_PROBE_ACTION", QString::fromLatin1(action));
        if (!timeZone.isEmpty())
            env.insert("TZ", timeZone);
        setProcessEnvironment(env);
        setProcessChannelMode(QProcess::SeparateChannels);
        setProgram(QStringLiteral(DESKLINK_STARTUP_PROBE));
    }

    ~ProbeProcess() override
    {
        if (state() != QProcess::NotRunning) {
            kill();
            waitForFinished(10000);
        }
    }

    // Waits until the probe reported a line starting with `prefix` (true) or it
    // ended or `ms` passed (false).
    bool waitForLine(const QString& prefix, int ms = 60000)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            collect();
            if (!lineStartingWith(prefix).isNull())
                return true;
            if (state() == QProcess::NotRunning || clock.elapsed() > ms)
                return false;
            waitForReadyRead(100);
        }
    }

    bool finish(int ms = 60000)
    {
        const bool done = state() == QProcess::NotRunning || waitForFinished(ms);
        collect();
        return done;
    }

    QString lineStartingWith(const QString& prefix) const
    {
        for (const QString& line : m_lines)
            if (line.startsWith(prefix))
                return line;
        return QString();
    }

    QStringList lines() const { return m_lines; }
    QString errors() { return QString::fromLocal8Bit(readAllStandardError()); }

private:
    void collect()
    {
        while (canReadLine())
            m_lines << QString::fromUtf8(readLine()).trimmed();
    }

    QStringList m_lines;
};

// An application folder for the probe: the delivered files of the build,
// linked, with a "Language" folder of the test's own.
inline QString makeProbeAppDir(const QString& where)
{
    QDir().mkpath(where + "/Language");
    const QString real = QStringLiteral(DESKLINK_APP_DIR);
    for (const QString& entry : QDir(real).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        if (entry != QLatin1String("Language"))
            QFile::link(real + '/' + entry, where + '/' + entry);
    }
    return where;
}
