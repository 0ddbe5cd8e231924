#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <thread>

// Watches one write to a virtual mouse from a thread of its own: it polls the
// mouse's flash until its report-rate byte holds `code` (or a check of its own
// holds), and meanwhile keeps one
// small event queued for the GUI thread at a time. An event's wait before it is
// handled is how long the GUI thread was busy elsewhere; the longest wait seen
// is the figure. The result is handed back on the GUI thread.
class WriteWatch : public QObject
{
public:
    // doneNs: monotonic time the flash held the code (-1: not within 60 s);
    // longestBusyNs: the longest wait of a probe event.
    using Callback = std::function<void(qint64 doneNs, qint64 longestBusyNs)>;

    WriteWatch(const QString& mouseId, quint8 code, Callback done, QObject* parent = nullptr);
    // Called on the watching thread with the mouse's configuration image.
    using Check = std::function<bool(const QByteArray& image)>;
    WriteWatch(const QString& mouseId, Check holds, Callback done, QObject* parent = nullptr);
    ~WriteWatch() override;

    void start();

protected:
    bool event(QEvent* event) override;

private:
    void run();
    void finish(qint64 doneNs);

    QString m_mouseId;
    quint8 m_code = 0;
    Check m_holds;
    Callback m_done;
    std::thread m_thread;
    std::atomic<bool> m_probeQueued{false};
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_longestBusyNs{0};
};
