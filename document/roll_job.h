#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/histogram.h"
#include "engine/levels.h"
#include "engine/negative.h"

namespace tintwell::document {

// A roll's work, as its settings were read, once: what to do with every file and where to write.
struct RollJob {
    enum class Mode { Correct, Suggest, Proxy };
    Mode mode = Mode::Correct;
    engine::Levels levels;  // Correct
    // Correct and Suggest: the files are negatives, made positives by this (for a suggestion,
    // its film base and whether it is black and white).
    std::optional<engine::Negative> negative;
    bool inPlace = false;          // Correct: each file over itself
    std::filesystem::path folder;  // Correct (unless in place) and Proxy: where files go
    unsigned jobs = 1;             // files worked on at a time
    double lowClip = engine::kDefaultClipPercent, highClip = engine::kDefaultClipPercent;
    double margin = engine::kDefaultMarginPercent;  // Suggest
    std::vector<std::string> files;
};

}  // namespace tintwell::document
