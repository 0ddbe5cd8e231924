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
// goes is written before it goes.
class WriteQueue
{
public:
    static WriteQueue& instance();

    // Runs `write` on the queue's thread. GUI thread.
    void post(std::function<bool()> write);
    // Runs `write`, then `then` with its result on the GUI thread, unless
    // `context` is gone by then. GUI thread.
    void post(std::function<bool()> write, QObject* context, std::function<void(bool written)> then);
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
    };

    WriteQueue();
    ~WriteQueue();
    void enqueue(Job job);
    void run();
    void answer(quint64 id, bool written);

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
