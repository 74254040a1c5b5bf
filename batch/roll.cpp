#include "batch/roll.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <new>
#include <sstream>
#include <thread>
#include <variant>
#include <vector>

#include <sys/stat.h>

#include "batch/work.h"

namespace tintwell::batch {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Runs work(i) for every file, `jobs` at a time, and hands each outcome to report() in the
// order of the files as soon as it and those before it are done.
class Pool {
public:
    Pool(std::size_t files, unsigned jobs, const std::atomic<bool>& stop)
        : m_outcomes(files),
          m_ready(files, false),
          m_jobs(static_cast<unsigned>(std::min<std::size_t>(jobs, files))),
          m_stop(stop) {}

    void Run(const std::function<Outcome(std::size_t)>& work,
             const std::function<void(std::size_t, const Outcome&)>& report,
             const std::function<void(std::size_t done)>& progress) {
        std::vector<std::thread> workers = Start(work);
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
    // As many workers as the system gives, up to --jobs; with none, the work is done here.
    std::vector<std::thread> Start(const std::function<Outcome(std::size_t)>& work) {
        std::vector<std::thread> workers;
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

// A file's identity (device and inode, links followed), or its name where it does not exist.
std::string Identity(const fs::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0)
        return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
    std::error_code ec;
    return fs::weakly_canonical(fs::absolute(path, ec), ec).string();
}

// Where each file's correction goes. A file is left out when another one of the command line is
// written to the same place; with --output, a destination that is one of the inputs (by name,
// by link or by hard link) stops the run before anything is written, so that no original is
// ever replaced unless --in-place asks for it.
struct Plan {
    std::vector<std::optional<Destination>> to;
    std::vector<std::string> clashes;
};

std::variant<Plan, std::string> Destinations(const Options& o) {
    std::map<std::string, std::size_t> inputs;
    for (std::size_t i = 0; i < o.files.size(); ++i) inputs.emplace(Identity(o.files[i]), i);
    Plan plan{std::vector<std::optional<Destination>>(o.files.size()),
              std::vector<std::string>(o.files.size())};
    std::map<std::string, std::size_t> taken;
    for (std::size_t i = 0; i < o.files.size(); ++i) {
        const fs::path target =
            o.inPlace ? fs::path(o.files[i]) : fs::path(o.output) / fs::path(o.files[i]).filename();
        const std::string key = Identity(target);
        if (const auto input = inputs.find(key); !o.inPlace && input != inputs.end()) {
            return "--output would write over an original: " + target.string() + " is " +
                   o.files[input->second] +
                   ". Nothing was written; choose another folder, or --in-place.";
        }
        const auto [at, fresh] = taken.emplace(key, i);
        if (fresh) {
            plan.to[i] = Destination{target, o.inPlace};
        } else {
            plan.clashes[i] = o.files[i] + ": " + o.files[at->second] + " is written to " +
                              target.string() + " already; this one is left out";
        }
    }
    return plan;
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
        err << "tintwell-batch: the " << engine::ChannelName(settled.error->channel)
            << " points can't be used\n";  // not met: the strict reading lets only usable ones
                                           // through
        return kUsageError;
    }
    if (engine::IsNothingToDo(settled.levels)) {
        out << engine::kNothingToDo << "\n";
        return 0;
    }
    const auto planned = Destinations(o);
    if (const auto* wrong = std::get_if<std::string>(&planned)) {
        err << "tintwell-batch: " << *wrong << "\n";
        return kUsageError;
    }
    const Plan& plan = std::get<Plan>(planned);
    std::error_code ec;
    if (!o.inPlace && !fs::is_directory(o.output) && !fs::create_directories(o.output, ec)) {
        err << "tintwell-batch: can't make the folder " << o.output << ": "
            << (ec ? ec.message() : "something else is there") << "\n";
        return kUsageError;
    }
    Pool pool(o.files.size(), o.jobs, stop);
    Progress progress(err, terminal, o.files.size());
    Tally tally;
    pool.Run(
        [&](std::size_t i) {
            if (!plan.to[i])
                return Outcome{Outcome::Kind::Refused, plan.clashes[i], 0, std::nullopt};
            return CorrectFile(o.files[i], settled.levels, *plan.to[i], stop);
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
