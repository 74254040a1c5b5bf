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

#include "batch/destinations.h"
#include "batch/pool.h"
#include "batch/work.h"

namespace tintwell::batch {
namespace {

namespace fs = std::filesystem;

std::string Three(const engine::PerChannel<int>& v) {
    return std::to_string(v[0]) + "," + std::to_string(v[1]) + "," + std::to_string(v[2]);
}

std::string PointsLine(const engine::Points& p) {
    return "--black " + Three(p.black) + " --white " + Three(p.white);
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

// Writes a file for each file of the command line, `work` saying what and how it went.
int Write(const Options& o, const std::function<Outcome(std::size_t, const Destination&)>& work,
          const char* done, std::ostream& out, std::ostream& err, bool terminal,
          const std::atomic<bool>& stop) {
    auto planned = PlanDestinations(o);
    if (const auto* wrong = std::get_if<std::string>(&planned)) {
        err << "tintwell-batch: " << *wrong << "\n";
        return kUsageError;
    }
    Plan& plan = std::get<Plan>(planned);
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
            if (!plan.to[i])  // moved, not copied: nothing on a worker may fail for memory
                return Outcome{Outcome::Kind::Refused, std::move(plan.clashes[i]), 0, std::nullopt};
            return work(i, *plan.to[i]);
        },
        [&](std::size_t, const Outcome& r) {
            progress.Clear();
            (r.kind == Outcome::Kind::Done ? out : err) << r.line << std::endl;
            if (r.kind == Outcome::Kind::Done) ++tally.done, tally.pixels += r.pixels;
            if (r.kind == Outcome::Kind::Refused) ++tally.refused;
        },
        [&](std::size_t finished) { progress.Show(finished, tally.pixels); });
    progress.Clear();
    char summary[160];
    std::snprintf(summary, sizeof summary, "%zu of %zu files %s (%.0f megapixels in %.1f s)",
                  tally.done, o.files.size(), done, tally.pixels / 1e6, progress.Seconds());
    out << summary << std::endl;
    return Finish(tally, pool.Unstarted(), stop.load(), err);
}

int Apply(const Options& o, std::ostream& out, std::ostream& err, bool terminal,
          const std::atomic<bool>& stop) {
    const engine::FactorsResult settled = engine::CalcFactors(o.blacks, o.whites);
    if (settled.error) {  // not met: the strict reading lets only usable points through
        err << "tintwell-batch: the " << engine::ChannelName(settled.error->channel)
            << " points can't be used\n";
        return kUsageError;
    }
    if (engine::IsNothingToDo(settled.levels)) {
        out << engine::kNothingToDo << "\n";
        return 0;
    }
    const auto correct = [&](std::size_t i, const Destination& to) {
        return CorrectFile(o.files[i], settled.levels, to, stop);
    };
    return Write(o, correct, "corrected", out, err, terminal, stop);
}

int Proxy(const Options& o, std::ostream& out, std::ostream& err, bool terminal,
          const std::atomic<bool>& stop) {
    const auto proxy = [&](std::size_t i, const Destination& to) {
        return MakeProxy(o.files[i], to, stop);
    };
    return Write(o, proxy, "made into proxies", out, err, terminal, stop);
}

// A frame whose points lie far from the roll's is named: it may show more rebate than the border
// leaves out, or belong to another roll.
void WarnOfOddFrames(const std::vector<std::pair<std::string, engine::Points>>& frames,
                     const engine::Points& roll, std::ostream& err) {
    for (const auto& [file, points] : frames) {
        const auto far = engine::FarFrom(points, roll);
        if (!far) continue;
        err << "tintwell-batch: " << file << ": its " << engine::ChannelName(far->channel)
            << (far->black ? " black" : " white") << " point " << far->frame
            << " lies far from the roll's " << far->roll
            << "; it may show more of the film's edge than --margin leaves out, or belong to "
               "another roll. The roll's points are the frames' medians, which it moves little."
            << std::endl;
    }
}

int Suggest(const Options& o, std::ostream& out, std::ostream& err, bool terminal,
            const std::atomic<bool>& stop) {
    Pool pool(o.files.size(), o.jobs, stop);
    Progress progress(err, terminal, o.files.size());
    Tally tally;
    std::vector<std::pair<std::string, engine::Points>> frames;
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
                 const engine::Points points =
                     engine::SuggestPoints(*r.histograms, o.lowClip, o.highClip);
                 frames.emplace_back(o.files[i], points);
                 out << PointsLine(points) << "  " << o.files[i] << std::endl;
             },
             [&](std::size_t done) { progress.Show(done, tally.pixels); });
    progress.Clear();
    if (!frames.empty()) {
        std::vector<engine::Points> points;
        for (const auto& f : frames) points.push_back(f.second);
        const engine::Points roll = engine::RollPoints(points);
        WarnOfOddFrames(frames, roll, err);
        out << PointsLine(roll) << "  ("
            << (tally.done == 1 ? "1 file" : "all " + std::to_string(tally.done) + " files") << ")"
            << std::endl;
    }
    return Finish(tally, pool.Unstarted(), stop.load(), err);
}

}  // namespace

int RunRoll(const Options& o, std::ostream& out, std::ostream& err, bool terminal,
            const std::atomic<bool>& stop) {
    // One picture a job: each job's next picture takes the memory of the last.
    engine::KeepFreedBuffers(o.jobs);
    switch (o.mode) {
        case Mode::Suggest:
            return Suggest(o, out, err, terminal, stop);
        case Mode::Proxy:
            return Proxy(o, out, err, terminal, stop);
        case Mode::Apply:
            break;
    }
    return Apply(o, out, err, terminal, stop);
}

}  // namespace tintwell::batch
