#pragma once

#include <atomic>
#include <ostream>

#include "batch/options.h"

namespace tintwell::batch {

inline constexpr int kInterrupted = 130;

// Works through the roll `jobs` files at a time, each job holding one picture, and reports on
// `out` (results, in the order of the command line) and `err` (refusals; and, on a terminal,
// one line of progress that updates in place). Once `stop` is set no file is started and a
// running pass or save is given up, its file left as it was. Returns the exit status.
int RunRoll(const Options& options, std::ostream& out, std::ostream& err, bool terminal,
            const std::atomic<bool>& stop);

}  // namespace tintwell::batch
