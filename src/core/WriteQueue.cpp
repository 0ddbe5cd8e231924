#include "core/WriteQueue.h"

#include <QCoreApplication>
#include <QObject>

WriteQueue& WriteQueue::instance()
{
    static WriteQueue queue;
    return queue;
}

WriteQueue::WriteQueue()
{
    // Writes still queued would otherwise run while the program's globals are
    // being destroyed.
    qAddPostRoutine(&WriteQueue::finishBeforeTheApplicationGoes);
}

WriteQueue::~WriteQueue()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void WriteQueue::post(std::function<bool()> write)
{
    enqueue(Job{std::move(write), 0});
}

void WriteQueue::post(std::function<bool()> write, QObject* context, std::function<void(bool)> then,
                      std::function<void()> unanswered)
{
    const quint64 id = m_nextAnswerId++;
    m_answers.emplace(id, Answer{context, std::move(then), std::move(unanswered)});
    enqueue(Job{std::move(write), id});
}

void WriteQueue::enqueue(Job job)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(std::move(job));
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    m_wake.notify_all();
}

void WriteQueue::drain()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

void WriteQueue::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
        // On stop, what is queued is still written.
        if (m_jobs.empty())
            return;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        lock.unlock();
        const bool written = job.write();
        job.write = nullptr;
        if (job.answerId) {
            if (QCoreApplication* app = QCoreApplication::instance()) {
                const quint64 id = job.answerId;
                QMetaObject::invokeMethod(
                    app, [id, written] { WriteQueue::instance().answer(id, written); }, Qt::QueuedConnection);
            }
        }
        lock.lock();
        m_busy = false;
        if (m_jobs.empty())
            m_idle.notify_all();
    }
}

void WriteQueue::answer(quint64 id, bool written)
{
    const auto it = m_answers.find(id);
    if (it == m_answers.end())
        return;
    Answer answer = std::move(it->second);
    m_answers.erase(it);
    if (answer.context && answer.then)
        answer.then(written);
}

void WriteQueue::finishBeforeTheApplicationGoes()
{
    WriteQueue& queue = instance();
    queue.drain();
    // The answers queued to the application object are dropped with it.
    std::map<quint64, Answer> lost;
    lost.swap(queue.m_answers);
    for (auto& entry : lost) {
        if (entry.second.unanswered)
            entry.second.unanswered();
    }
    queue.drain();
}
