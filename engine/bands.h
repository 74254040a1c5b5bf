#pragma once

#include <algorithm>
#include <cstdint>
#include <system_error>
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
// A band whose thread cannot be started (the system is out of threads or memory) runs on the
// calling thread too.
template <typename Work>
void InBands(int first, int last, int bands, const Work& work) {
    const auto edge = [&](int band) {
        return first + static_cast<int>(std::int64_t{last - first} * band / bands);
    };
    std::vector<std::jthread> threads;
    std::vector<int> here = {0};
    threads.reserve(static_cast<std::size_t>(bands));
    for (int b = 1; b < bands; ++b) {
        try {
            threads.emplace_back([&, b] { work(b, edge(b), edge(b + 1)); });
        } catch (const std::system_error&) {
            here.push_back(b);
        }
    }
    for (int b : here) work(b, edge(b), edge(b + 1));
}

}  // namespace tintwell::engine
