#include "app/command_line.h"

namespace tintwell::app {

CommandLine ReadCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    bool options = true;
    for (const std::string& arg : args) {
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "--help" || arg == "-h")) {
            return {CommandLine::Action::Help, {}, {}};
        } else if (options && arg == "--version") {
            return {CommandLine::Action::Version, {}, {}};
        } else if (options && arg == "--roll") {
            line.action = CommandLine::Action::Roll;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return {CommandLine::Action::Wrong, {}, "unknown option " + arg};
        } else {
            line.paths.push_back(arg);
        }
    }
    return line;
}

std::string UsageText() {
    return "Usage: tintwell [FILE.bmp]\n"
           "       tintwell --roll [FILE or FOLDER ...]\n"
           "Takes the colour cast out of scanned colour negatives.\n"
           "\n"
           "  FILE.bmp      open this bitmap in the main window, as a drop would\n"
           "  --roll        open the roll window on these BMP, TIFF and PNG files, and on the\n"
           "                picture files directly in these folders\n"
           "  --            the names after it are files, even if they start with a dash\n"
           "  -h, --help    show this and end\n"
           "  --version     show the version and end\n"
           "\n"
           "tintwell-batch corrects a whole roll from the command line.\n";
}

}  // namespace tintwell::app
