#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "document/roll_work.h"

namespace tintwell::document {

// Runs work(i) for every file, `jobs` at a time (never more than there are files), and hands
// each outcome to report() in the order of the files as soon as it and those before it are
// done. Once `stop` is set no file is started.
class Pool {
public:
    Pool(std::size_t files, unsigned jobs, const std::atomic<bool>& stop);

    void Run(const std::function<Outcome(std::size_t)>& work,
             const std::function<void(std::size_t, const Outcome&)>& report,
             const std::function<void(std::size_t done)>& progress);
    std::size_t Unstarted() const { return m_outcomes.size() - m_started; }

private:
    std::vector<std::jthread> Start(const std::function<Outcome(std::size_t)>& work);
    void Work(const std::function<Outcome(std::size_t)>& work);

    std::vector<Outcome> m_outcomes;
    std::vector<bool> m_ready;
    unsigned m_jobs;
    const std::atomic<bool>& m_stop;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_started = 0, m_done = 0;
    unsigned m_idle = 0;
};

}  // namespace tintwell::document
