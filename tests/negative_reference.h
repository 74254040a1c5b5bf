#pragma once

// The negative rule worked out in long double, as the README states it, for the tests to hold
// the program's results against.
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tintwell::tests {

inline long double FromDensity(long double d, long double s, long double h, long double k) {
    const long double n = std::clamp((d - s) / (h - s), 0.0L, 1.0L);
    const long double linear = (std::pow(10.0L, k * n) - 1) / (std::pow(10.0L, k) - 1);
    const long double e =
        linear <= 0.0031308L ? 12.92L * linear : 1.055L * std::pow(linear, 1 / 2.4L) - 0.055L;
    return 65535 * e;
}

inline long double Reference(long double base, long double v, long double s, long double h,
                             long double k) {
    return FromDensity(std::max(0.0L, std::log10(base / std::max(v, 1.0L))), s, h, k);
}

// Double and long double may round a value within a hair of a half either way.
inline bool Agrees(std::uint32_t got, long double exact) {
    const long double below = std::floor(exact), fraction = exact - below;
    if (std::fabs(fraction - 0.5L) < 1e-7L) return got == below || got == below + 1;
    return got == static_cast<std::uint32_t>(std::nearbyint(exact));
}

}  // namespace tintwell::tests
