#include "document/worker.h"

#include <system_error>

namespace tintwell::document {

JobQueue::JobQueue(unsigned threads) {
    for (unsigned i = 0; i < std::max(1u, threads); ++i) {
        try {
            m_threads.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {  // fewer threads, or in Push itself
            break;
        }
    }
}

JobQueue::~JobQueue() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
        m_jobs.clear();
    }
    m_ready.notify_all();
    for (std::thread& t : m_threads) t.join();
}

void JobQueue::Push(std::function<void()> job, bool urgent) {
    if (m_threads.empty()) return job();
    {
        std::lock_guard lock(m_mutex);
        if (urgent) {
            m_jobs.push_front(std::move(job));
        } else {
            m_jobs.push_back(std::move(job));
        }
    }
    m_ready.notify_one();
}

void JobQueue::Work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(m_mutex);
            m_ready.wait(lock, [this] { return m_closing || !m_jobs.empty(); });
            if (m_closing) return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
}

}  // namespace tintwell::document
