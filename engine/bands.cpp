#include "engine/bands.h"

#include <atomic>

namespace tintwell::engine {
namespace {
std::atomic<unsigned> g_jobs{1};
}  // namespace

void ShareCores(unsigned jobs) {
    g_jobs = std::max(1u, jobs);
}

unsigned CoresForBands() {
    return std::max(1u, std::thread::hardware_concurrency() / g_jobs.load());
}

}  // namespace tintwell::engine
