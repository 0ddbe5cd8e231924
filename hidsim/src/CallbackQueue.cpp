#include "CallbackQueue.h"

#include <chrono>

void CallbackQueue::post(std::function<void()> fn)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stopping)
        return;
    m_queue.push_back(std::move(fn));
    if (!m_started) {
        m_started = true;
        m_thread = std::thread([this] { run(); });
    }
    m_wake.notify_one();
}

void CallbackQueue::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_stopping)
            break;
        std::function<void()> fn = std::move(m_queue.front());
        m_queue.pop_front();
        m_running = true;
        lock.unlock();
        fn();
        fn = nullptr;
        lock.lock();
        m_running = false;
    }
    m_finished = true;
    m_done.notify_all();
}

bool CallbackQueue::idle()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.empty() && !m_running;
}

void CallbackQueue::shutdown(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_stopping = true;
    m_queue.clear();
    m_wake.notify_all();
    if (!m_started || !m_thread.joinable())
        return;
    const bool self = m_thread.get_id() == std::this_thread::get_id();
    const bool finished = !self
        && m_done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_finished; });
    lock.unlock();
    if (finished)
        m_thread.join();
    else
        m_thread.detach();
}
