#pragma once

#include <algorithm>
#include <cstdint>
#include <exception>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace tintwell::engine {

// Where `jobs` pictures are worked on at once, each takes its share of the cores for its bands,
// so that they do not start a thread per core each.
void ShareCores(unsigned jobs);
// The cores one picture's bands may use: all of them, or its share.
unsigned CoresForBands();

// How many bands to share `rows` rows of `pixels` pixels out in: one below `alone` pixels, else
// one per core the picture may use, at most `most`, and never more than there are rows.
inline int BandCount(std::uint64_t pixels, std::uint64_t alone, int rows, unsigned most) {
    if (pixels < alone) return 1;
    const unsigned cores = std::clamp(CoresForBands(), 1u, most);
    return static_cast<int>(std::min<std::uint64_t>(cores, static_cast<std::uint64_t>(rows)));
}

// Runs work(band, top, bottom) for `bands` bands of whole rows of [first, last), each on a
// thread of its own but the first, which runs on the calling thread; returns when all are done.
// A band whose thread cannot be started (the system is out of threads or memory) runs on the
// calling thread too. What a band throws (memory running out) is thrown here once every band has
// ended, as if the bands had run on the calling thread: a thread must not end the program.
template <typename Work>
void InBands(int first, int last, int bands, const Work& work) {
    const auto edge = [&](int band) {
        return first + static_cast<int>(std::int64_t{last - first} * band / bands);
    };
    std::vector<std::exception_ptr> thrown(static_cast<std::size_t>(bands));
    const auto run = [&](int b) {
        try {
            work(b, edge(b), edge(b + 1));
        } catch (...) {
            thrown[static_cast<std::size_t>(b)] = std::current_exception();
        }
    };
    std::vector<int> here;
    here.reserve(static_cast<std::size_t>(bands));
    here.push_back(0);
    {
        std::vector<std::jthread> threads;
        threads.reserve(static_cast<std::size_t>(bands));
        for (int b = 1; b < bands; ++b) {
            try {
                threads.emplace_back(run, b);
            } catch (const std::system_error&) {
                here.push_back(b);
            } catch (const std::bad_alloc&) {
                here.push_back(b);
            }
        }
        for (int b : here) run(b);
    }
    for (const std::exception_ptr& e : thrown) {
        if (e) std::rethrow_exception(e);
    }
}

}  // namespace tintwell::engine
