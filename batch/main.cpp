// tintwell-batch: a whole roll of scanned negatives with one set of points, or the points to use.
#include <semaphore.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <new>
#include <system_error>
#include <thread>

#include "batch/options.h"
#include "batch/roll.h"

namespace {

std::atomic<bool> g_stop{false};
sem_t g_stopped;   // posted by the signal handler
sem_t g_finished;  // posted when the roll has wound up

// Ctrl+C, SIGTERM and SIGHUP, every time: no file is started after it, and a running pass is
// given up, so that every file is either as it was or completely corrected.
void Stop(int) {
    g_stop.store(true);
    sem_post(&g_stopped);
}

// Workers notice a stop after every row of a pass and every write of a save; reading or flushing
// a big file can take longer. Half a second after the stop the program ends whatever they are
// doing, leaving the rest of the second for the system to take back a big picture's memory: the
// new files have no name until the moment they replace the old, so an ended program leaves
// nothing behind.
void Watch() {
    while (sem_wait(&g_stopped) != 0 && errno == EINTR) {
    }
    constexpr long kHalfSecond = 500'000'000;
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_nsec += kHalfSecond;
    if (deadline.tv_nsec >= 1'000'000'000) deadline.tv_sec += 1, deadline.tv_nsec -= 1'000'000'000;
    while (sem_timedwait(&g_finished, &deadline) != 0) {
        if (errno == EINTR) continue;
        static const char kLine[] =
            "tintwell-batch: interrupted; the files being worked on are left as they were\n";
        [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, kLine, sizeof kLine - 1);
        _exit(tintwell::batch::kInterrupted);
    }
}

void CatchStops() {
    sem_init(&g_stopped, 0, 0);
    sem_init(&g_finished, 0, 0);
    struct sigaction action {};
    action.sa_handler = Stop;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    // A closed pipe makes writes to it fail, which is reported at the end; it does not end the
    // program in the middle of a save.
    ::signal(SIGPIPE, SIG_IGN);
    try {
        std::thread(Watch).detach();
    } catch (const std::system_error&) {  // then a stop waits for the workers
    }
}

// Output that did not arrive is an error like any other: the results above are incomplete.
int CheckOutput(int status) {
    // Closing tells of a write that a network file system failed late.
    const bool outFailed =
        std::fflush(stdout) != 0 || std::ferror(stdout) || close(STDOUT_FILENO) != 0;
    if (outFailed) {
        std::fputs("tintwell-batch: the results could not all be written to standard output\n",
                   stderr);
    }
    const bool errFailed = std::fflush(stderr) != 0 || std::ferror(stderr);
    return (outFailed || errFailed) && status == 0 ? 1 : status;
}

int Run(int argc, char** argv) {
    const tintwell::batch::Parsed parsed =
        tintwell::batch::ParseOptions({argv + 1, argv + argc}, std::thread::hardware_concurrency());
    std::cout << parsed.out << std::flush;
    std::cerr << parsed.err << std::flush;
    if (!parsed.options) return parsed.status;
    return tintwell::batch::RunRoll(*parsed.options, std::cout, std::cerr, isatty(STDERR_FILENO),
                                    g_stop);
}

}  // namespace

int main(int argc, char** argv) {
    CatchStops();
    int status = 1;
    try {
        status = Run(argc, argv);
    } catch (const std::bad_alloc&) {  // each file's work is guarded; this is the rest's
        std::fputs(
            "tintwell-batch: not enough memory; files not reported as corrected are as "
            "they were\n",
            stderr);
    }
    sem_post(&g_finished);
    return CheckOutput(status);
}
