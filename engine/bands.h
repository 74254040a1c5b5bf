#pragma once

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

namespace tintwell::engine {

// How many bands to share `rows` rows of `pixels` pixels out in: one below `alone` pixels, else
// one per core, at most `most`, and never more than there are rows.
inline int BandCount(std::uint64_t pixels, std::uint64_t alone, int rows, unsigned most) {
    if (pixels < alone) return 1;
    const unsigned cores = std::clamp(std::thread::hardware_concurrency(), 1u, most);
    return static_cast<int>(std::min<std::uint64_t>(cores, static_cast<std::uint64_t>(rows)));
}

// Runs work(band, top, bottom) for `bands` bands of whole rows of [first, last), each on a
// thread of its own but the first, which runs on the calling thread; returns when all are done.
template <typename Work>
void InBands(int first, int last, int bands, const Work& work) {
    const auto edge = [&](int band) {
        return first + static_cast<int>(std::int64_t{last - first} * band / bands);
    };
    std::vector<std::jthread> threads;
    for (int b = 1; b < bands; ++b) threads.emplace_back([&, b] { work(b, edge(b), edge(b + 1)); });
    work(0, edge(0), edge(1));
}

}  // namespace tintwell::engine
