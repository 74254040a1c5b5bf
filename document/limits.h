#pragma once

#include <cstdint>
#include <new>
#include <string>
#include <system_error>

#include "document/result.h"

namespace tintwell::document {

// What every reader takes at most: 400 megapixels (1.6 GB decoded in 8 bits a channel) serves
// 300-megapixel film scans with room to spare, and refuses absurd headers before anything
// large is allocated. Fuzzing asks for less, so that each input stays quick.
inline constexpr std::uint64_t kMaxPixels = 400'000'000;

// A picture of more pixels than `maxPixels`.
inline Error TooLarge(std::uint64_t maxPixels) {
    return Fail(Problem::TooLarge, std::to_string(maxPixels / 1'000'000) + " megapixels");
}

// Memory, and the threads that read big pictures in bands, may run out in any step: the work is
// refused for it, not ended by it.
template <typename Work, typename Refused>
auto Guarded(const Work& work, const Refused& refused) -> decltype(work()) {
    try {
        return work();
    } catch (const std::bad_alloc&) {
    } catch (const std::system_error&) {
    }
    return refused();
}

}  // namespace tintwell::document
