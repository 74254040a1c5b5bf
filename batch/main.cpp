// tintwell-batch: a whole roll of scanned negatives with one set of points, or the points to use.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <thread>

#include "batch/options.h"
#include "batch/roll.h"

namespace {

std::atomic<bool> g_stop{false};

// Ctrl+C and SIGTERM, every time: no file is started after it, and a running pass is given up,
// so that every file is either as it was or completely corrected.
void Stop(int) {
    g_stop.store(true);
}

void CatchStops() {
    struct sigaction action {};
    action.sa_handler = Stop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    const tintwell::batch::Parsed parsed =
        tintwell::batch::ParseOptions({argv + 1, argv + argc}, std::thread::hardware_concurrency());
    std::cout << parsed.out;
    std::cerr << parsed.err;
    if (!parsed.options) return parsed.status;
    CatchStops();
    return tintwell::batch::RunRoll(*parsed.options, std::cout, std::cerr, isatty(STDERR_FILENO),
                                    g_stop);
}
