#pragma once

#include <optional>
#include <string>
#include <vector>

#include "document/roll_job.h"

namespace tintwell::batch {

// What the command line asks for: the roll's work, its settings read once into typed values.
struct Options {
    document::RollJob job;
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
