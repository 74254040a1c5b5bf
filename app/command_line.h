#pragma once

#include <string>
#include <vector>

namespace tintwell::app {

// What the window program's command line asks for (what QApplication leaves of it: Qt's own
// options are taken out before).
struct CommandLine {
    enum class Action { Open, Roll, Help, Version, Wrong };
    Action action = Action::Open;
    std::vector<std::string> paths;  // as the bytes they were given as
    std::string wrong;               // what is wrong with it, for Wrong
};

// --help (-h), --version, --roll PATH..., FILE; "--" ends the options, so that a file whose name
// starts with a dash can be named.
CommandLine ReadCommandLine(const std::vector<std::string>& args);

// What --help prints.
std::string UsageText();

}  // namespace tintwell::app
