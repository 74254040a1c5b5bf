#include "batch/roll.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "batch/work.h"
#include "engine/settings_message.h"

namespace tintwell::batch {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Runs work(i) for every file, `jobs` at a time, and hands each outcome to report() in the
// order of the files as soon as it and those before it are done.
class Pool {
public:
    Pool(std::size_t files, unsigned jobs, const std::atomic<bool>& stop)
        : m_outcomes(files), m_ready(files, false), m_jobs(jobs), m_stop(stop) {}

    void Run(const std::function<Outcome(std::size_t)>& work,
             const std::function<void(std::size_t, const Outcome&)>& report,
             const std::function<void(std::size_t done)>& progress) {
        std::vector<std::thread> workers;
        for (unsigned j = 0; j < m_jobs; ++j) workers.emplace_back([&] { Work(work); });
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
        lock.unlock();
        for (std::thread& w : workers) w.join();
    }

    std::size_t Unstarted() const { return m_outcomes.size() - m_started; }

private:
    void Work(const std::function<Outcome(std::size_t)>& work) {
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

    std::vector<Outcome> m_outcomes;
    std::vector<bool> m_ready;
    unsigned m_jobs;
    const std::atomic<bool>& m_stop;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_started = 0, m_done = 0;
    unsigned m_idle = 0;
};

// One line on a terminal that is written over in place: results are written above it.
class Progress {
public:
    Progress(std::ostream& err, bool terminal, std::size_t files)
        : m_err(err), m_terminal(terminal), m_files(files), m_start(Clock::now()) {}

    void Show(std::size_t done, std::uint64_t pixels) {
        if (!m_terminal) return;
        const double seconds = std::chrono::duration<double>(Clock::now() - m_start).count();
        char line[160];
        std::snprintf(line, sizeof line, "\r%zu of %zu files, %.0f megapixels a second", done,
                      m_files, seconds > 0 ? pixels / 1e6 / seconds : 0.0);
        std::string text = line;
        if (done > 0 && done < m_files) {
            const long left = std::lround(seconds / done * (m_files - done));
            std::snprintf(line, sizeof line, ", %ld:%02ld left", left / 60, left % 60);
            text += line;
        }
        m_err << text << "\033[K" << std::flush;
        m_shown = true;
    }
    void Clear() {
        if (m_shown) m_err << "\r\033[K" << std::flush;
        m_shown = false;
    }
    double Seconds() const { return std::chrono::duration<double>(Clock::now() - m_start).count(); }

private:
    std::ostream& m_err;
    bool m_terminal;
    std::size_t m_files;
    Clock::time_point m_start;
    bool m_shown = false;
};

std::string Three(const engine::PerChannel<int>& v) {
    return std::to_string(v[0]) + "," + std::to_string(v[1]) + "," + std::to_string(v[2]);
}

std::string PointsLine(const engine::Points& p) {
    return "--black " + Three(p.black) + " --white " + Three(p.white);
}

// Where each file's correction goes; a file is refused when another one of the command line
// would be written to the same place.
std::vector<std::optional<fs::path>> Destinations(const Options& o,
                                                  std::vector<std::string>& clashes) {
    std::vector<std::optional<fs::path>> to(o.files.size());
    std::map<fs::path, std::size_t> taken;
    clashes.assign(o.files.size(), "");
    for (std::size_t i = 0; i < o.files.size(); ++i) {
        const fs::path target =
            o.inPlace ? fs::path(o.files[i]) : fs::path(o.output) / fs::path(o.files[i]).filename();
        std::error_code ec;
        const fs::path key = fs::weakly_canonical(fs::absolute(target, ec), ec);
        const auto [at, fresh] = taken.emplace(key, i);
        if (fresh) {
            to[i] = target;
        } else {
            clashes[i] = o.files[i] + ": " + o.files[at->second] + " is written to " +
                         target.string() + " already; this one is left out";
        }
    }
    return to;
}

struct Tally {
    std::size_t done = 0, refused = 0;
    std::uint64_t pixels = 0;
};

int Finish(const Tally& t, std::size_t unstarted, bool stopped, std::ostream& err) {
    if (stopped) {
        err << "tintwell-batch: interrupted; " << unstarted
            << " files were not started and are as they were\n";
        return kInterrupted;
    }
    return t.refused > 0 ? 1 : 0;
}

int Apply(const Options& o, std::ostream& out, std::ostream& err, bool terminal,
          const std::atomic<bool>& stop) {
    const engine::FactorsResult settled = engine::CalcFactors(o.blacks, o.whites);
    if (settled.error) {
        err << "tintwell-batch: " << engine::SettingsMessage(*settled.error) << "\n";
        return kUsageError;
    }
    if (engine::IsNothingToDo(settled.levels)) {
        out << engine::kNothingToDo << "\n";
        return 0;
    }
    std::error_code ec;
    if (!o.inPlace && !fs::is_directory(o.output) && !fs::create_directories(o.output, ec)) {
        err << "tintwell-batch: can't make the folder " << o.output << ": "
            << (ec ? ec.message() : "something else is there") << "\n";
        return kUsageError;
    }
    std::vector<std::string> clashes;
    const auto to = Destinations(o, clashes);
    Pool pool(o.files.size(), o.jobs, stop);
    Progress progress(err, terminal, o.files.size());
    Tally tally;
    pool.Run(
        [&](std::size_t i) {
            if (!to[i]) return Outcome{Outcome::Kind::Refused, clashes[i], 0, std::nullopt};
            return CorrectFile(o.files[i], settled.levels, *to[i], stop);
        },
        [&](std::size_t, const Outcome& r) {
            progress.Clear();
            (r.kind == Outcome::Kind::Done ? out : err) << r.line << std::endl;
            if (r.kind == Outcome::Kind::Done) ++tally.done, tally.pixels += r.pixels;
            if (r.kind == Outcome::Kind::Refused) ++tally.refused;
        },
        [&](std::size_t done) { progress.Show(done, tally.pixels); });
    progress.Clear();
    char summary[160];
    std::snprintf(summary, sizeof summary, "%zu of %zu files corrected (%.0f megapixels in %.1f s)",
                  tally.done, o.files.size(), tally.pixels / 1e6, progress.Seconds());
    out << summary << std::endl;
    return Finish(tally, pool.Unstarted(), stop.load(), err);
}

int Suggest(const Options& o, std::ostream& out, std::ostream& err, bool terminal,
            const std::atomic<bool>& stop) {
    Pool pool(o.files.size(), o.jobs, stop);
    Progress progress(err, terminal, o.files.size());
    Tally tally;
    engine::Histograms all;
    pool.Run([&](std::size_t i) { return CountFile(o.files[i], o.margin); },
             [&](std::size_t i, const Outcome& r) {
                 progress.Clear();
                 if (r.kind != Outcome::Kind::Done) {
                     ++tally.refused;
                     err << r.line << std::endl;
                     return;
                 }
                 ++tally.done;
                 tally.pixels += r.pixels;
                 all += *r.histograms;
                 out << PointsLine(engine::SuggestPoints(*r.histograms, o.lowClip, o.highClip))
                     << "  " << o.files[i] << std::endl;
             },
             [&](std::size_t done) { progress.Show(done, tally.pixels); });
    progress.Clear();
    if (tally.done > 0) {
        out << PointsLine(engine::SuggestPoints(all, o.lowClip, o.highClip)) << "  ("
            << (tally.done == 1 ? "1 file" : "all " + std::to_string(tally.done) + " files") << ")"
            << std::endl;
    }
    return Finish(tally, pool.Unstarted(), stop.load(), err);
}

}  // namespace

int RunRoll(const Options& o, std::ostream& out, std::ostream& err, bool terminal,
            const std::atomic<bool>& stop) {
    return o.mode == Mode::Suggest ? Suggest(o, out, err, terminal, stop)
                                   : Apply(o, out, err, terminal, stop);
}

}  // namespace tintwell::batch
