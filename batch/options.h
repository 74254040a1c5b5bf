#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/levels.h"

namespace tintwell::batch {

enum class Mode { Apply, Suggest, Proxy };

// What the command line asks for.
struct Options {
    Mode mode = Mode::Apply;
    engine::PerChannel<std::string> blacks, whites;  // the six texts, as the window's fields
    bool inPlace = false;
    std::string output;  // the folder corrected files (or proxies) go to, unless in place
    unsigned jobs = 1;
    double lowClip = 0, highClip = 0, margin = 0;  // in percent, for suggestions
    std::vector<std::string> files;
};

// The outcome of reading a command line: options to run with, or an exit status with what to
// print (the help, the version, or what is wrong with the command line).
struct Parsed {
    std::optional<Options> options;
    int status = 0;
    std::string out, err;
};

inline constexpr int kUsageError = 2;

// Reads the arguments after the program's name.
Parsed ParseOptions(const std::vector<std::string>& args, unsigned cores);

}  // namespace tintwell::batch
