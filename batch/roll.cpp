#include "batch/roll.h"

#include <cstdio>
#include <string>
#include <vector>

#include "batch/progress.h"
#include "document/reason.h"
#include "document/roll_runner.h"

namespace tintwell::batch {
namespace {

using document::Outcome;
using Mode = document::RollJob::Mode;

std::string Three(const engine::PerChannel<int>& v) {
    return std::to_string(v[0]) + "," + std::to_string(v[1]) + "," + std::to_string(v[2]);
}

std::string PointsLine(const engine::Points& p) {
    return "--black " + Three(p.black) + " --white " + Three(p.white);
}

// Densities to the thousandth, the step they are counted in.
std::string Three(const engine::PerChannel<double>& v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f,%.3f,%.3f", v[0], v[1], v[2]);
    return text;
}

std::string DensitiesLine(const engine::Densities& d) {
    return "--shadows " + Three(d.shadow) + " --highlights " + Three(d.highlight);
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

// What the roll prints as it goes: each file's line in the order of the command line, and for
// suggestions each file's points and, at the end, the roll's.
class Printer {
public:
    Printer(const document::RollJob& job, std::ostream& out, std::ostream& err, bool terminal)
        : m_job(job), m_out(out), m_err(err), m_progress(err, terminal, job.files.size()) {}

    void Report(std::size_t i, const Outcome& r) {
        m_progress.Clear();
        if (r.kind != Outcome::Kind::Done) {
            m_err << r.line << std::endl;
        } else if (m_job.mode == Mode::Suggest && r.densities) {
            m_densities.push_back(
                engine::SuggestDensities(*r.densities, m_job.lowClip, m_job.highClip));
            m_out << DensitiesLine(m_densities.back()) << "  " << m_job.files[i] << std::endl;
        } else if (m_job.mode == Mode::Suggest) {
            const engine::Points points =
                engine::SuggestPoints(*r.histograms, m_job.lowClip, m_job.highClip);
            m_frames.emplace_back(m_job.files[i], points);
            m_out << PointsLine(points) << "  " << m_job.files[i] << std::endl;
        } else {
            m_out << r.line << std::endl;
        }
    }
    void Progress(std::size_t done, std::uint64_t pixels) { m_progress.Show(done, pixels); }

    void Finish(const document::RollTally& tally) {
        m_progress.Clear();
        if (m_job.mode != Mode::Suggest) {
            char summary[160];
            std::snprintf(summary, sizeof summary,
                          "%zu of %zu files %s (%.0f megapixels in %.1f s)", tally.done,
                          m_job.files.size(),
                          m_job.mode == Mode::Proxy ? "made into proxies" : "corrected",
                          tally.pixels / 1e6, m_progress.Seconds());
            m_out << summary << std::endl;
        } else if (!m_densities.empty()) {
            m_out << DensitiesLine(engine::RollDensities(m_densities)) << "  " << Together(tally)
                  << std::endl;
        } else if (!m_frames.empty()) {
            std::vector<engine::Points> points;
            for (const auto& f : m_frames) points.push_back(f.second);
            const engine::Points roll = engine::RollPoints(points);
            WarnOfOddFrames(m_frames, roll, m_err);
            m_out << PointsLine(roll) << "  " << Together(tally) << std::endl;
        }
    }

private:
    static std::string Together(const document::RollTally& tally) {
        return tally.done == 1 ? "(1 file)" : "(all " + std::to_string(tally.done) + " files)";
    }

    const document::RollJob& m_job;
    std::ostream& m_out;
    std::ostream& m_err;
    batch::Progress m_progress;
    std::vector<std::pair<std::string, engine::Points>> m_frames;
    std::vector<engine::Densities> m_densities;
};

}  // namespace

int RunRoll(const Options& o, std::ostream& out, std::ostream& err, bool terminal,
            const std::atomic<bool>& stop) {
    const document::RollJob& job = o.job;
    if (job.mode == Mode::Correct && !job.negative && engine::IsNothingToDo(job.levels)) {
        out << engine::kNothingToDo << "\n";
        return 0;
    }
    Printer printer(job, out, err, terminal);
    const auto ran = document::RunRollJob(
        job, stop, [&](std::size_t i, const Outcome& r) { printer.Report(i, r); },
        [&](std::size_t done, std::uint64_t pixels) { printer.Progress(done, pixels); });
    if (const auto* refused = std::get_if<document::RollRefusal>(&ran)) {
        err << "tintwell-batch: "
            << document::RollRefused(*refused, job.mode, document::Framing::CommandLine) << "\n";
        return kUsageError;
    }
    const document::RollTally& tally = std::get<document::RollTally>(ran);
    printer.Finish(tally);
    if (stop.load()) {
        err << "tintwell-batch: interrupted";
        if (tally.unstarted == 1) err << "; 1 file was not started and is as it was";
        if (tally.unstarted > 1)
            err << "; " << tally.unstarted << " files were not started and are as they were";
        err << "\n";
        return kInterrupted;
    }
    return tally.refused > 0 ? 1 : 0;
}

}  // namespace tintwell::batch
