#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>

#include "document/file_stamp.h"
#include "document/file_system.h"
#include "engine/histogram.h"
#include "engine/levels.h"
#include "engine/negative.h"

namespace tintwell::document {

// What became of one file, and the line that says so.
struct Outcome {
    enum class Kind { Done, Refused, Abandoned };
    Kind kind = Kind::Done;
    std::string line;
    std::uint64_t pixels = 0;
    std::optional<engine::Histograms> histograms = std::nullopt;  // when counted for a suggestion
    std::optional<engine::DensityHistograms> densities = std::nullopt;  // the same, of a negative
};

// How a file is corrected: with the window's levels, or as a negative made a positive.
using Correction = std::variant<engine::Levels, engine::Negative>;

// Where a file's correction goes: over the file itself, or to another file. A proxy replaces
// only a proxy found there when the run was planned, unchanged, and never writes through a link.
struct Destination {
    std::filesystem::path path;
    bool inPlace = false;
    bool proxy = false;
    std::optional<FileStamp> proxyReplaced{};
};

// Takes the file in (a bitmap, TIFF or PNG), corrects it with the window's rule at its own depth
// and writes it back in its own format to the destination with the window's safe save. A
// negative (a camera raw file too) is made a positive in sRGB and written in the format the
// destination's name asks for, with the sRGB profile (grey: a grey one) in place of its own. What
// is written is the whole correction of the file as it was read, or nothing: a file that changes,
// or is replaced, while it is worked on is refused, and a pass or a save that `stop`
// interrupts writes nothing. `system` is where tests act.
Outcome CorrectFile(const std::string& file, const Correction& correction, const Destination& to,
                    const std::atomic<bool>& stop, FileSystem& system = RealFileSystem());

// Takes the file in and writes it, uncorrected, as a 24-bit bitmap to the destination: 16-bit
// samples rounded to 8 bits, grey as grey, without its alpha.
Outcome MakeProxy(const std::string& file, const Destination& to, const std::atomic<bool>& stop,
                  FileSystem& system = RealFileSystem());

// Takes the file in and counts its histograms, less a border of `margin`%: of its levels, or of
// its densities above the negative's film base.
Outcome CountFile(const std::string& file, double margin,
                  const std::optional<engine::Negative>& negative = std::nullopt);

}  // namespace tintwell::document
