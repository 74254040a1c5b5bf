#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace tintwell::bench {

// Runs a command to its end, its output thrown away; false when it fails. Its peak memory goes
// to `peakMb`.
inline bool RunCommand(const std::vector<std::string>& command, double& peakMb) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (const std::string& a : command) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(127);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    peakMb = std::max(peakMb, usage.ru_maxrss / 1024.0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace tintwell::bench
