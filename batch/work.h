#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "engine/histogram.h"
#include "engine/levels.h"

namespace tintwell::batch {

// What became of one file, and the line that says so.
struct Outcome {
    enum class Kind { Done, Refused, Abandoned };
    Kind kind = Kind::Done;
    std::string line;
    std::uint64_t pixels = 0;
    std::optional<engine::Histograms> histograms;  // when counted for a suggestion
};

// Takes the file in as a drop would, corrects it with the window's pass and writes it to
// `destination` with the window's safe save. A pass that `stop` interrupts writes nothing.
Outcome CorrectFile(const std::string& file, const engine::Levels& levels,
                    const std::filesystem::path& destination, const std::atomic<bool>& stop);

// Takes the file in as a drop would and counts its histograms, less a border of `margin`%.
Outcome CountFile(const std::string& file, double margin);

}  // namespace tintwell::batch
