#include "document/roll_runner.h"

#include <algorithm>
#include <thread>

#include "document/roll_pool.h"
#include "engine/bands.h"
#include "engine/pixel_buffer.h"

namespace tintwell::document {
namespace {

namespace fs = std::filesystem;

Outcome Work(const RollJob& job, const std::string& file, const Destination& to,
             const std::atomic<bool>& stop) {
    switch (job.mode) {
        case RollJob::Mode::Proxy:
            return MakeProxy(file, to, stop);
        case RollJob::Mode::Suggest:
            return CountFile(file, job.margin, job.negative);
        case RollJob::Mode::Correct:
            break;
    }
    if (job.negative) return CorrectFile(file, *job.negative, to, stop);
    return CorrectFile(file, job.levels, to, stop);
}

}  // namespace

std::variant<RollTally, RollRefusal> RunRollJob(const RollJob& job, const std::atomic<bool>& stop,
                                                const ReportFn& report,
                                                const ProgressFn& progress) {
    Plan plan{std::vector<std::optional<Destination>>(job.files.size()),
              std::vector<std::string>(job.files.size())};
    if (job.mode != RollJob::Mode::Suggest) {
        auto planned = PlanDestinations(job);
        if (auto* wrong = std::get_if<PlanRefusal>(&planned)) return RollRefusal{*wrong};
        plan = std::move(std::get<Plan>(planned));
        std::error_code ec;
        if (!job.inPlace && !fs::is_directory(job.folder) &&
            !fs::create_directories(job.folder, ec))
            return RollRefusal{
                Fail(Problem::CantMakeFolder, job.folder.string(), ec ? ec.value() : EEXIST)};
    }
    // One picture a job: each job's next picture takes the memory of the last; the cores are
    // shared out among the jobs.
    const unsigned jobs = std::max(1u, std::min<unsigned>(job.jobs, job.files.size()));
    engine::KeepFreedBuffers(jobs);
    engine::ShareCores(jobs);
    Pool pool(job.files.size(), jobs, stop);
    RollTally tally;
    pool.Run(
        [&](std::size_t i) {
            if (job.mode != RollJob::Mode::Suggest && !plan.to[i])  // moved: nothing may fail
                return Outcome{Outcome::Kind::Refused, std::move(plan.clashes[i])};
            return Work(job, job.files[i], plan.to[i].value_or(Destination{}), stop);
        },
        [&](std::size_t i, const Outcome& r) {
            if (r.kind == Outcome::Kind::Done) ++tally.done, tally.pixels += r.pixels;
            if (r.kind == Outcome::Kind::Refused) ++tally.refused;
            report(i, r);
        },
        [&](std::size_t done) { progress(done, tally.pixels); });
    engine::ShareCores(1);
    engine::KeepFreedBuffers(0);
    tally.unstarted = pool.Unstarted();
    return tally;
}

}  // namespace tintwell::document
