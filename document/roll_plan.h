#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "document/roll_job.h"
#include "document/roll_work.h"

namespace tintwell::document {

// Where each file of a roll is written: over itself (in place), or into a folder under its own
// name, or as a bitmap of its name (a proxy). A file is left out, with the reason, when another
// one is written to the same place before it.
struct Plan {
    std::vector<std::optional<Destination>> to;
    std::vector<std::string> clashes;
};

// Why a roll must stop before anything is written: a destination in the folder is one of the
// inputs (by its name, a link or a hard link), or a proxy would replace a file it did not make
// or write through a link, or a camera raw file would be written over (its correction is a
// TIFF, made beside it only with a folder). No original is ever replaced unless in place is asked
// for.
struct PlanRefusal {
    enum class Kind { OverAnOriginal, OverAFileNotOurs, ThroughALink, RawInPlace };
    Kind kind = Kind::OverAnOriginal;
    std::filesystem::path target;
    std::string original;  // the input it is, for OverAnOriginal; the raw file, for RawInPlace
};

std::variant<Plan, PlanRefusal> PlanDestinations(const RollJob& job);

}  // namespace tintwell::document
