#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/histogram.h"
#include "engine/levels.h"

namespace tintwell::document {

// A roll's work, as its settings were read, once: what to do with every file and where to write.
struct RollJob {
    enum class Mode { Correct, Suggest, Proxy };
    Mode mode = Mode::Correct;
    engine::Levels levels;         // Correct
    bool inPlace = false;          // Correct: each file over itself
    std::filesystem::path folder;  // Correct (unless in place) and Proxy: where files go
    unsigned jobs = 1;             // files worked on at a time
    double lowClip = engine::kDefaultClipPercent, highClip = engine::kDefaultClipPercent;
    double margin = engine::kDefaultMarginPercent;  // Suggest
    std::vector<std::string> files;
};

}  // namespace tintwell::document
