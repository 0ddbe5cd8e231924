#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// One library thread that runs posted callbacks in order. Posting never waits
// for a callback; a callback that blocks only delays the ones behind it.
class CallbackQueue
{
public:
    CallbackQueue() = default;
    CallbackQueue(const CallbackQueue&) = delete;
    CallbackQueue& operator=(const CallbackQueue&) = delete;

    void post(std::function<void()> fn);
    // Asks the thread to end and waits at most timeoutMs for it; a thread still
    // inside a callback then is left to finish on its own.
    void shutdown(int timeoutMs);
    // No callback queued and none running.
    bool idle();

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<std::function<void()>> m_queue;
    std::thread m_thread;
    bool m_started = false;
    bool m_stopping = false;
    bool m_finished = false;
    bool m_running = false;
};
