#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace tintwell::tests {

// How a run's standard output is taken.
enum class Output {
    File,             // into a file, read afterwards
    Full,             // /dev/full: every write fails with "no space left"
    ClosedAfterLine,  // a pipe whose reader goes away after the first line, as `| head -1` does
    SignalAfterLine,  // a pipe; `signal` is sent once the first line has come
};

struct Ran {
    int status = -1;  // the exit status, or 128 + the signal that ended it
    std::string out, err;
};

// Runs a program as a user would from `folder`: arguments, standard output as asked, standard
// error into a file.
inline Ran RunProgram(const std::filesystem::path& folder, const std::vector<std::string>& args,
                      Output output = Output::File, int signal = 0) {
    TempDir logs;
    const std::string outFile = (logs / "out").string(), errFile = (logs / "err").string();
    int pipeEnds[2] = {-1, -1};
    const bool piped = output == Output::ClosedAfterLine || output == Output::SignalAfterLine;
    if (piped && pipe(pipeEnds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(folder.c_str()) != 0) _exit(126);
        const int out = piped ? pipeEnds[1]
                              : open(output == Output::Full ? "/dev/full" : outFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        if (piped) close(pipeEnds[0]);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    Ran ran;
    if (piped) {
        close(pipeEnds[1]);
        char c = 0;
        while (read(pipeEnds[0], &c, 1) == 1 && (ran.out += c, c != '\n')) {
        }
        if (output == Output::SignalAfterLine) {
            kill(child, signal);
            while (read(pipeEnds[0], &c, 1) == 1) ran.out += c;
        }
        close(pipeEnds[0]);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ran.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    const auto text = [](const std::string& path) {
        const std::vector<std::uint8_t> bytes = ReadBytes(path);
        return std::string(bytes.begin(), bytes.end());
    };
    if (!piped && output == Output::File) ran.out = text(outFile);
    ran.err = text(errFile);
    return ran;
}

}  // namespace tintwell::tests
