#include "engine/levels_vector.h"

#include <algorithm>
#include <cmath>
#include <vector>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "engine/levels_vector.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace tintwell::engine::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET == HWY_SCALAR || HWY_TARGET == HWY_EMU128
bool HasVectorUnit() {
    return false;
}
void ApplyFixedRow(const FixedLevels&, std::uint32_t*, std::size_t) {}
#else
bool HasVectorUnit() {
    return true;
}

// The stretch on 16-bit lanes, each holding one byte of a pixel. A tie in fixed point (a low
// half of exactly 0x8000) is only possible when some fraction is a multiple of 256.
template <bool kTies, class D, class V = hn::Vec<D>>
V Stretch(D d, V value, V black, V whole, V fraction) {
    const V diff = hn::SaturatedSub(value, black);
    const V low = hn::Mul(diff, fraction);
    V out = hn::Add(hn::Mul(diff, whole), hn::MulHigh(diff, fraction));
    out = hn::Add(out, hn::ShiftRight<15>(low));  // rounds half up ...
    if constexpr (kTies) {
        const auto tie = hn::Eq(low, hn::Set(d, 0x8000));
        out = hn::Sub(out, hn::IfThenElseZero(tie, hn::And(out, hn::Set(d, 1))));  // ... to even
    }
    return hn::Min(out, hn::Set(d, 255));
}

// One of black, whole or fraction for every lane: lane i holds the low (`high` false) or high
// byte of 16-bit half i % 2 of a pixel.
template <class D>
hn::Vec<D> LanePattern(D d, const FixedLevels& levels, bool high,
                       std::uint16_t FixedChannel::*part) {
    HWY_ALIGN std::uint16_t lanes[HWY_MAX_BYTES / 2];
    for (std::size_t i = 0; i < hn::Lanes(d); ++i) {
        const FixedChannel c =
            high ? (i % 2 == 0 ? levels[1] : FixedChannel{}) : levels[i % 2 == 0 ? 0 : 2];
        lanes[i] = c.*part;
    }
    return hn::Load(d, lanes);
}

// A pixel's 16-bit halves are (blue, green) and (red, alpha): the low bytes of the lanes give
// blue and red by turns, the high bytes green and alpha, so no lane ever crosses another.
template <bool kTies>
void StretchRow(const FixedLevels& levels, std::uint32_t* row, std::size_t count) {
    const hn::ScalableTag<std::uint16_t> d;
    using V = hn::Vec<decltype(d)>;
    const V lowBlack = LanePattern(d, levels, false, &FixedChannel::black);
    const V lowWhole = LanePattern(d, levels, false, &FixedChannel::whole);
    const V lowFraction = LanePattern(d, levels, false, &FixedChannel::fraction);
    const V highBlack = LanePattern(d, levels, true, &FixedChannel::black);
    const V highWhole = LanePattern(d, levels, true, &FixedChannel::whole);
    const V highFraction = LanePattern(d, levels, true, &FixedChannel::fraction);
    const hn::RebindToUnsigned<hn::Repartition<std::uint32_t, decltype(d)>> d32;
    const V opaque = hn::BitCast(d, hn::Set(d32, 0xFF000000u));
    auto stretch = [&](std::uint16_t* p) {
        const V v = hn::LoadU(d, p);
        const V lo =
            Stretch<kTies>(d, hn::And(v, hn::Set(d, 0xFF)), lowBlack, lowWhole, lowFraction);
        const V hi = Stretch<kTies>(d, hn::ShiftRight<8>(v), highBlack, highWhole, highFraction);
        hn::StoreU(hn::Or(hn::Or(lo, hn::ShiftLeft<8>(hi)), opaque), d, p);
    };
    const std::size_t perVector = hn::Lanes(d) / 2;
    auto* lanes = reinterpret_cast<std::uint16_t*>(row);
    std::size_t x = 0;
    for (; x + perVector <= count; x += perVector) stretch(lanes + 2 * x);
    if (x < count) {  // the last few pixels, through a vector's worth of room
        HWY_ALIGN std::uint16_t tail[HWY_MAX_BYTES / 2] = {};
        std::copy_n(lanes + 2 * x, 2 * (count - x), tail);
        stretch(tail);
        std::copy_n(tail, 2 * (count - x), lanes + 2 * x);
    }
}

void ApplyFixedRow(const FixedLevels& levels, std::uint32_t* row, std::size_t count) {
    const bool ties = std::any_of(levels.begin(), levels.end(),
                                  [](const FixedChannel& c) { return c.fraction % 256 == 0; });
    if (ties) {
        StretchRow<true>(levels, row, count);
    } else {
        StretchRow<false>(levels, row, count);
    }
}
#endif

}  // namespace tintwell::engine::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tintwell::engine {
namespace {

// The fraction rounded one of three ways (0 nearest, 1 down, 2 up): where the nearest misses
// a step of the rule by its 2^-17 error, one of the others may not.
FixedChannel Candidate(std::int16_t black, float factor, int way) {
    FixedChannel c;
    c.black = static_cast<std::uint16_t>(std::clamp<int>(black, 0, 255));
    if (!(factor > 0.0f)) return c;  // nothing above black: every value to 0
    if (factor >= 255.0f) {          // one step above black is already full
        c.whole = 255;
        return c;
    }
    double whole = std::floor(factor);
    const double scaled = (factor - whole) * 65536.0;
    double fraction = way == 0   ? std::nearbyint(scaled)
                      : way == 1 ? std::floor(scaled)
                                 : std::ceil(scaled);
    if (fraction >= 65536.0) {
        whole += 1.0;
        fraction = 0.0;
    }
    c.whole = static_cast<std::uint16_t>(whole);
    c.fraction = static_cast<std::uint16_t>(fraction);
    return c;
}

// Which channels (red, green, blue) the fixed form gets right for every input value.
PerChannel<bool> Agrees(const FixedLevels& fixed,
                        const PerChannel<std::array<std::uint8_t, 256>>& expected) {
    std::vector<std::uint32_t> ramp(256);
    for (std::uint32_t v = 0; v < 256; ++v) ramp[v] = v * 0x010101u;
    ApplyFixedRow(fixed, ramp.data(), ramp.size());
    PerChannel<bool> ok{true, true, true};
    for (std::uint32_t v = 0; v < 256; ++v) {
        for (int c = 0; c < kChannels; ++c) {
            const std::uint32_t got = (ramp[v] >> (8 * (2 - c))) & 0xFFu;
            ok[c] = ok[c] && got == expected[c][v];
        }
    }
    return ok;
}

}  // namespace

HWY_EXPORT(ApplyFixedRow);
HWY_EXPORT(HasVectorUnit);

void ApplyFixedRow(const FixedLevels& levels, std::uint32_t* row, std::size_t count) {
    HWY_DYNAMIC_DISPATCH(ApplyFixedRow)(levels, row, count);
}

bool HasVectorUnit() {
    return HWY_DYNAMIC_DISPATCH(HasVectorUnit)();
}

std::optional<FixedLevels> FitFixedLevels(
    const Levels& levels, const PerChannel<std::array<std::uint8_t, 256>>& expected) {
    if (!HasVectorUnit()) return std::nullopt;
    FixedLevels chosen{};
    PerChannel<bool> found{false, false, false};
    for (int way = 0; way < 3; ++way) {
        FixedLevels trial{};
        for (int c = 0; c < kChannels; ++c)
            trial[2 - c] = Candidate(levels.black[c], levels.factor[c], way);
        const PerChannel<bool> ok = Agrees(trial, expected);
        for (int c = 0; c < kChannels; ++c) {
            if (ok[c] && !found[c]) chosen[2 - c] = trial[2 - c];
            found[c] = found[c] || ok[c];
        }
    }
    if (!(found[0] && found[1] && found[2])) return std::nullopt;
    const PerChannel<bool> ok = Agrees(chosen, expected);  // lanes are independent; make sure
    if (!(ok[0] && ok[1] && ok[2])) return std::nullopt;
    return chosen;
}

}  // namespace tintwell::engine
#endif
