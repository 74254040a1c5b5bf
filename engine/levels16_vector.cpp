#include "engine/levels16_vector.h"

#include <algorithm>
#include <numeric>

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "engine/levels16_vector.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace tintwell::engine::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET == HWY_SCALAR || HWY_TARGET == HWY_EMU128 || !HWY_HAVE_FLOAT64
bool HasVector16Unit() {
    return false;
}
void ApplyLevels16Row(const Levels16&, std::uint16_t*, std::size_t) {}
#else
bool HasVector16Unit() {
    return true;
}

// Each vector holds `lanes` samples; the places in a pixel repeat every lcm(samples, lanes)
// samples, so the constants come in that many vectors' worth of patterns, used in turn.
void ApplyLevels16Row(const Levels16& levels, std::uint16_t* row, std::size_t count) {
    const hn::ScalableTag<double> df;
    const hn::Rebind<std::int32_t, decltype(df)> di;
    const hn::Rebind<std::uint16_t, decltype(df)> du;
    using V = hn::Vec<decltype(df)>;
    const std::size_t lanes = hn::Lanes(df);
    const std::size_t samples = static_cast<std::size_t>(levels.samples);
    const std::size_t patterns = std::lcm(samples, lanes) / lanes;
    HWY_ALIGN double black[4 * HWY_MAX_BYTES / 8];
    HWY_ALIGN double factor[4 * HWY_MAX_BYTES / 8];
    for (std::size_t i = 0; i < patterns * lanes; ++i) {
        black[i] = levels.black257[i % samples];
        factor[i] = levels.factor[i % samples];
    }
    const V zero = hn::Zero(df), top = hn::Set(df, 65535.0);
    auto stretch = [&](std::uint16_t* p, std::size_t k) {
        const V v = hn::PromoteTo(df, hn::PromoteTo(di, hn::LoadU(du, p)));
        const V product =
            hn::Mul(hn::Sub(v, hn::Load(df, black + k * lanes)), hn::Load(df, factor + k * lanes));
        const V out = hn::Min(hn::Max(hn::Round(product), zero), top);
        hn::StoreU(hn::DemoteTo(du, hn::DemoteTo(di, out)), du, p);
    };
    std::size_t x = 0, k = 0;
    for (; x + lanes <= count; x += lanes) {
        stretch(row + x, k);
        if (++k == patterns) k = 0;
    }
    if (x < count) {  // the last few samples, through a vector's worth of room
        HWY_ALIGN std::uint16_t tail[HWY_MAX_BYTES / 8] = {};
        std::copy_n(row + x, count - x, tail);
        stretch(tail, k);
        std::copy_n(tail, count - x, row + x);
    }
}
#endif

}  // namespace tintwell::engine::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tintwell::engine {

HWY_EXPORT(ApplyLevels16Row);
HWY_EXPORT(HasVector16Unit);

void ApplyLevels16Row(const Levels16& levels, std::uint16_t* row, std::size_t count) {
    HWY_DYNAMIC_DISPATCH(ApplyLevels16Row)(levels, row, count);
}

bool HasVector16Unit() {
    return HWY_DYNAMIC_DISPATCH(HasVector16Unit)();
}

}  // namespace tintwell::engine
#endif
