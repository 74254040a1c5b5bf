#include "document/bmp/row_codec.h"

#include "engine/pixel.h"

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "document/bmp/row_codec.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace tintwell::document::HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Without a vector unit the plain loops are as fast, and they are the ones we test by hand.
#if HWY_TARGET == HWY_SCALAR || HWY_TARGET == HWY_EMU128
void Expand24(const std::uint8_t* in, std::uint32_t* out, std::size_t count) {
    Expand24Scalar(in, out, count);
}
void Pack24(const std::uint32_t* in, std::uint8_t* out, std::size_t count) {
    Pack24Scalar(in, out, count);
}
void Opaque32(const std::uint8_t* in, std::uint32_t* out, std::size_t count) {
    Opaque32Scalar(in, out, count);
}
#else
// Whole vectors here; the last few pixels of a row go through the plain loop.
void Expand24(const std::uint8_t* in, std::uint32_t* out, std::size_t count) {
    const hn::ScalableTag<std::uint8_t> d;
    const std::size_t n = hn::Lanes(d);
    const auto opaque = hn::Set(d, 0xFF);
    auto* bytes = reinterpret_cast<std::uint8_t*>(out);
    std::size_t x = 0;
    for (; x + n <= count; x += n) {
        hn::Vec<decltype(d)> b, g, r;
        hn::LoadInterleaved3(d, in + 3 * x, b, g, r);
        hn::StoreInterleaved4(b, g, r, opaque, d, bytes + 4 * x);
    }
    Expand24Scalar(in + 3 * x, out + x, count - x);
}

void Pack24(const std::uint32_t* in, std::uint8_t* out, std::size_t count) {
    const hn::ScalableTag<std::uint8_t> d;
    const std::size_t n = hn::Lanes(d);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(in);
    std::size_t x = 0;
    for (; x + n <= count; x += n) {
        hn::Vec<decltype(d)> b, g, r, a;
        hn::LoadInterleaved4(d, bytes + 4 * x, b, g, r, a);
        hn::StoreInterleaved3(b, g, r, d, out + 3 * x);
    }
    Pack24Scalar(in + x, out + 3 * x, count - x);
}

void Opaque32(const std::uint8_t* in, std::uint32_t* out, std::size_t count) {
    const hn::ScalableTag<std::uint32_t> d;
    const hn::Repartition<std::uint8_t, decltype(d)> d8;
    const std::size_t n = hn::Lanes(d);
    const auto opaque = hn::Set(d, engine::kOpaque);
    std::size_t x = 0;
    for (; x + n <= count; x += n) {
        const auto v = hn::BitCast(d, hn::LoadU(d8, in + 4 * x));
        hn::StoreU(hn::Or(v, opaque), d, out + x);
    }
    Opaque32Scalar(in + 4 * x, out + x, count - x);
}
#endif

}  // namespace tintwell::document::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tintwell::document {

HWY_EXPORT(Expand24);
HWY_EXPORT(Pack24);
HWY_EXPORT(Opaque32);

void Expand24(const std::uint8_t* in, std::uint32_t* out, std::size_t count) {
    HWY_DYNAMIC_DISPATCH(Expand24)(in, out, count);
}
void Pack24(const std::uint32_t* in, std::uint8_t* out, std::size_t count) {
    HWY_DYNAMIC_DISPATCH(Pack24)(in, out, count);
}
void Opaque32(const std::uint8_t* in, std::uint32_t* out, std::size_t count) {
    HWY_DYNAMIC_DISPATCH(Opaque32)(in, out, count);
}

void Expand24Scalar(const std::uint8_t* in, std::uint32_t* out, std::size_t count) {
    for (std::size_t x = 0; x < count; ++x, in += 3)
        out[x] = engine::PackPixel(in[2], in[1], in[0]);
}
void Pack24Scalar(const std::uint32_t* in, std::uint8_t* out, std::size_t count) {
    for (std::size_t x = 0; x < count; ++x, out += 3) {
        out[0] = static_cast<std::uint8_t>(engine::BlueOf(in[x]));
        out[1] = static_cast<std::uint8_t>(engine::GreenOf(in[x]));
        out[2] = static_cast<std::uint8_t>(engine::RedOf(in[x]));
    }
}
void Opaque32Scalar(const std::uint8_t* in, std::uint32_t* out, std::size_t count) {
    for (std::size_t x = 0; x < count; ++x, in += 4)
        out[x] = engine::PackPixel(in[2], in[1], in[0]);
}

}  // namespace tintwell::document
#endif
