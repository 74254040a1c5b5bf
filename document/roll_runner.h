#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <variant>

#include "document/result.h"
#include "document/roll_job.h"
#include "document/roll_plan.h"
#include "document/roll_work.h"

namespace tintwell::document {

// What a run came to.
struct RollTally {
    std::size_t done = 0, refused = 0, unstarted = 0;
    std::uint64_t pixels = 0;
};

// Why a roll could not start: its plan, or the folder it writes into.
struct RollRefusal {
    std::variant<PlanRefusal, Error> why;
};

using ReportFn = std::function<void(std::size_t file, const Outcome& outcome)>;
using ProgressFn = std::function<void(std::size_t done, std::uint64_t pixels)>;

// Plans the destinations and makes the folder they go in, then works through the files `jobs`
// at a time, each job holding one picture and sharing out the cores with the others. `report`
// hears each file's outcome in the order of the files, on the calling thread, as soon as it and
// those before it are done; `progress` now and then how many are done. Once `stop` is set no
// file is started, and the running ones give up their pass or save.
std::variant<RollTally, RollRefusal> RunRollJob(const RollJob& job, const std::atomic<bool>& stop,
                                                const ReportFn& report, const ProgressFn& progress);

}  // namespace tintwell::document
