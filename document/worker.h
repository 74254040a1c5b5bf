#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tintwell::document {

// Where a window's long work runs: off the user interface's thread, with its results handed
// back to that thread. The window binds it to its event loop; tests run it step by step.
class Worker {
public:
    virtual ~Worker() = default;
    // Runs `job` off the user interface's thread; `urgent` ones go before those waiting.
    virtual void Start(std::function<void()> job, bool urgent = false) = 0;
    // Runs `done` on the user interface's thread, in the order posted.
    virtual void Post(std::function<void()> done) = 0;
};

// Jobs run by a few threads of their own, as many as asked for; those not started are dropped
// when it is destroyed, which waits for the running ones.
class JobQueue {
public:
    explicit JobQueue(unsigned threads);
    ~JobQueue();
    JobQueue(const JobQueue&) = delete;
    JobQueue& operator=(const JobQueue&) = delete;

    void Push(std::function<void()> job, bool urgent);

private:
    void Work();

    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<std::function<void()>> m_jobs;
    bool m_closing = false;
    std::vector<std::thread> m_threads;
};

}  // namespace tintwell::document
