#pragma once

#include <QPointer>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

class QObject;

// Disk writes the GUI thread must not wait for: a synced file write can take
// tens of milliseconds on a busy disk. They run one after another, in the order
// they were posted, on a thread of the queue's own, so a later write never
// overtakes an earlier one. What is still queued when the application object
// goes is written before it goes, and so is what stands in for an answer that
// can no longer come.
class WriteQueue
{
public:
    static WriteQueue& instance();

    // Runs `write` on the queue's thread. Any thread.
    void post(std::function<bool()> write);
    // Runs `write`, then `then` with its result on the GUI thread, unless
    // `context` is gone by then. An answer still undelivered when the
    // application object goes never comes (its event loop has ended): then
    // `unanswered` runs instead, on the GUI thread, and what it posts is
    // written before the application goes. GUI thread.
    void post(std::function<bool()> write, QObject* context, std::function<void(bool written)> then,
              std::function<void()> unanswered = nullptr);
    // Returns once every write posted before it has been done (not their
    // answers): a read that must see them waits here first. Any thread.
    void drain();

    WriteQueue(const WriteQueue&) = delete;
    WriteQueue& operator=(const WriteQueue&) = delete;

private:
    struct Job
    {
        std::function<bool()> write;
        quint64 answerId = 0;  // 0: nobody waits for the result
    };
    struct Answer
    {
        QPointer<QObject> context;
        std::function<void(bool)> then;
        std::function<void()> unanswered;
    };

    WriteQueue();
    ~WriteQueue();
    void enqueue(Job job);
    void run();
    void answer(quint64 id, bool written);
    // The application object goes: what is queued is written, and every
    // answer that will now never come gets its stand-in. GUI thread.
    static void finishBeforeTheApplicationGoes();

    std::mutex m_mutex;
    std::condition_variable m_wake;  // a job was queued, or the queue stops
    std::condition_variable m_idle;  // the queue ran dry
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_thread;

    // GUI thread only: only plain numbers cross back from the queue's thread.
    std::map<quint64, Answer> m_answers;
    quint64 m_nextAnswerId = 1;
};
