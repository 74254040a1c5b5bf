#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "batch/options.h"
#include "batch/work.h"

namespace tintwell::batch {

// Where each file of the command line is written: over itself (--in-place), or into a folder
// under its own name (--output) or as a bitmap of its name (--proxy). A file is left out, with
// the reason, when another one is written to the same place before it.
struct Plan {
    std::vector<std::optional<Destination>> to;
    std::vector<std::string> clashes;
};

// The plan, or, where a destination in a folder is one of the inputs (by its name, a link or a
// hard link), why the run must stop before anything is written: no original is ever replaced
// unless --in-place asks for it.
std::variant<Plan, std::string> PlanDestinations(const Options& options);

}  // namespace tintwell::batch
