#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "engine/correction_pass.h"
#include "engine/histogram.h"
#include "engine/levels.h"
#include "engine/pixel_buffer.h"

namespace tintwell::engine {

// How a negative becomes a positive: per channel the film base b (the level of the unexposed
// film, on the 16-bit scale, 1..65535) and the shadow and highlight densities S < H (0..4),
// and the print curve's contrast K (0.5..4). `mono` takes an RGB scan of a black-and-white
// negative: the mean of the three channels' densities, by red's shadow and highlight.
struct Negative {
    PerChannel<double> base{65535, 65535, 65535};
    PerChannel<double> shadow{0, 0, 0};
    PerChannel<double> highlight{2, 2, 2};
    double contrast = 2.0;
    bool mono = false;
};

inline constexpr double kDefaultContrast = 2.0;
inline constexpr double kMostDensity = 4.0;

// The density of a linear sample v (16-bit scale) above the film base: log10(b / max(v, 1)),
// and 0 where that is below 0.
double Density(double base, double v);

// The positive's 16-bit value from a density, by the channel's shadow and highlight and the
// contrast: n = clamp((D - S) / (H - S), 0, 1), L = (10^(K n) - 1) / (10^K - 1), encoded with the
// sRGB transfer curve and rounded half to even, all in double precision.
std::uint16_t PositiveOf(double density, double shadow, double highlight, double contrast);

// PositiveOf for one channel's settings, with what does not change from density to density
// worked out once: the same doubles, so the same results, at a fraction of the cost where the
// clamp holds (most values of a real negative).
class PositiveCurve {
public:
    PositiveCurve(double shadow, double highlight, double contrast);
    std::uint16_t operator()(double density) const;

private:
    double m_shadow, m_span, m_contrast, m_range;
    std::uint16_t m_black, m_white;
};

// The whole rule on one sample v of channel c.
std::uint16_t NegativeSample(const Negative& n, int channel, double v);

// The rule for rows of a layout, worked out once for every sample value (a table per channel of
// each 16-bit value's positive, or each 8-bit value's); grey samples by red's settings, alpha
// left as it is. For `mono` the per-channel densities are tabled and each pixel's mean density
// goes through the print curve, as the rule says.
class NegativeRule {
public:
    NegativeRule(const Negative& negative, const Layout& in);

    // The layout written: the input's, or grey (with its alpha) for a black-and-white negative.
    const Layout& Out() const { return m_out; }
    // Row `in` (in the input's layout) into row `out` (in Out()), `width` pixels.
    void ApplyRow(const std::uint8_t* in, std::uint8_t* out, int width) const;
    // What the screen shows of a pixel's output sample value (round(v / 257) for 16 bits).
    std::uint8_t Shown(std::uint32_t value) const;
    // A sample value's positive on the output's scale, by its channel's settings (red's for
    // grey); not for black and white, which averages the channels' densities.
    std::uint32_t Positive(int channel, std::uint32_t v) const;

private:
    std::uint32_t MonoPositive(const std::uint32_t* rgb) const;

    Layout m_in, m_out;
    PositiveCurve m_monoCurve;  // red's settings, for a black-and-white negative's mean density
    std::array<std::vector<std::uint16_t>, 3> m_table;  // value -> positive (16-bit scale)
    std::array<std::vector<double>, 3> m_density;       // value -> density, for mono
};

// Inverts the picture row by row from the top, telling `afterRow` after each row as the
// correction pass does: in place where its layout stays, else into a new picture that takes its
// place once every row is done. None where the memory for that cannot be had.
std::optional<PassResult> RunNegativePass(PixelBuffer& picture, const NegativeRule& rule,
                                          const AfterRow& afterRow);

// The densities of a picture's pixels above the film base, per channel, in steps of 0.001 from
// 0 to 4 (a black-and-white negative: their mean, in every channel).
inline constexpr int kDensitySteps = 4000;
struct DensityHistograms {
    PerChannel<std::vector<std::uint64_t>> counts{};
    std::uint64_t pixels = 0;
};
DensityHistograms CountDensities(const PixelBuffer& picture, const Region& region,
                                 const Negative& negative);

// Suggested shadow and highlight densities: per channel the density below which `lowPercent`
// of the counted pixels lie and the one above which `highPercent` lie, to the step; the
// highlight at least a step above the shadow.
struct Densities {
    PerChannel<double> shadow{}, highlight{};
};
Densities SuggestDensities(const DensityHistograms& histograms, double lowPercent,
                           double highPercent);
// The roll's: per channel the median of the frames'.
Densities RollDensities(const std::vector<Densities>& frames);

// The densities drawn as a histogram: 256 bins over 0 to 4.
Histograms DrawnDensities(const DensityHistograms& histograms);
// Of the counted pixels, the share the negative sends to black (thinner than the shadow) and to
// white (at least as dense as the highlight), per channel, to the step.
Clipping ClippedDensities(const DensityHistograms& histograms, const Negative& negative);

// Each channel's mean density over a region of the picture.
PerChannel<double> MeanDensities(const PixelBuffer& picture, const Region& region,
                                 const Negative& negative);

}  // namespace tintwell::engine
