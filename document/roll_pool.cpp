#include "document/roll_pool.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace tintwell::document {

Pool::Pool(std::size_t files, unsigned jobs, const std::atomic<bool>& stop)
    : m_outcomes(files),
      m_ready(files, false),
      m_jobs(static_cast<unsigned>(std::min<std::size_t>(jobs, files))),
      m_stop(stop) {}

void Pool::Run(const std::function<Outcome(std::size_t)>& work,
               const std::function<void(std::size_t, const Outcome&)>& report,
               const std::function<void(std::size_t done)>& progress) {
    // Joined however this ends: a worker left running would end the program.
    std::vector<std::jthread> workers = Start(work);
    std::size_t reported = 0;
    std::unique_lock lock(m_mutex);
    while (reported < m_outcomes.size()) {
        m_changed.wait_for(lock, std::chrono::milliseconds(250));
        for (; reported < m_outcomes.size() && m_ready[reported]; ++reported) {
            report(reported, m_outcomes[reported]);
        }
        if (m_idle == m_jobs && (reported == m_outcomes.size() || !m_ready[reported])) break;
        progress(m_done);
    }
}

// As many workers as the system gives, up to the jobs asked for; with none, the work is done
// here.
std::vector<std::jthread> Pool::Start(const std::function<Outcome(std::size_t)>& work) {
    std::vector<std::jthread> workers;
    try {
        workers.reserve(m_jobs);
        while (workers.size() < m_jobs) workers.emplace_back([&] { Work(work); });
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    m_jobs = static_cast<unsigned>(workers.size());
    if (workers.empty()) {
        m_jobs = 1;
        Work(work);
    }
    return workers;
}

void Pool::Work(const std::function<Outcome(std::size_t)>& work) {
    for (;;) {
        std::size_t i = 0;
        {
            std::lock_guard lock(m_mutex);
            if (m_started == m_outcomes.size() || m_stop.load()) break;
            i = m_started++;
        }
        Outcome outcome = work(i);
        std::lock_guard lock(m_mutex);
        m_outcomes[i] = std::move(outcome);
        m_ready[i] = true;
        ++m_done;
        m_changed.notify_one();
    }
    std::lock_guard lock(m_mutex);
    ++m_idle;
    m_changed.notify_one();
}

}  // namespace tintwell::document
