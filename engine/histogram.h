#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/levels.h"
#include "engine/pixel_buffer.h"

namespace tintwell::engine {

using Histogram = std::array<std::uint64_t, 256>;

// How many counted pixels hold each value, per channel.
struct Histograms {
    PerChannel<Histogram> counts{};
    std::uint64_t pixels = 0;  // how many pixels were counted

    Histograms& operator+=(const Histograms& other);
};

// The part of a picture that is counted: the picture less a border of `marginPercent` of its
// width (and of its height) on each side, rounded down to whole pixels; the whole picture where
// that leaves nothing. Film holders, sprocket holes and the unexposed edge live in the border.
struct Region {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom are past the end
    bool operator==(const Region&) const = default;
};
Region CountedRegion(int width, int height, double marginPercent);
// The region cut to the picture.
Region CutTo(const Region& region, const PixelBuffer& picture);

inline constexpr double kDefaultMarginPercent = 5.0;
inline constexpr double kDefaultClipPercent = 0.1;

// The histograms of the counted region, in one pass over its rows.
Histograms CountHistograms(const PixelBuffer& picture,
                           double marginPercent = kDefaultMarginPercent);
// The histograms of a region of the picture (cut to the picture).
Histograms CountHistograms(const PixelBuffer& picture, const Region& region);

// Each channel's mean value over the counted pixels (0 where none were counted).
PerChannel<double> Means(const Histograms& histograms);

// Each channel's mean over a region of the picture (cut to it) on the 0..255 scale, from the
// samples themselves: a 16-bit sample v counts as v / 257, grey in all three channels.
PerChannel<double> MeanLevels(const PixelBuffer& picture, const Region& region);
// The same on the 16-bit scale, an 8-bit sample v counting as 257 v: a negative's film base.
PerChannel<double> MeanSamples16(const PixelBuffer& picture, const Region& region);

// The histograms of the picture after a correction pass with these levels, worked out from the
// histograms before it: each channel value goes where the pixel rule sends it.
Histograms Levelled(const Histograms& before, const Levels& levels);

// Of the counted pixels, the share (0..1) that the levels send to 0 and to 255, per channel.
struct Clipping {
    PerChannel<double> toBlack{}, toWhite{};
};
Clipping ClippedShares(const Histograms& histograms, const Levels& levels);

// Suggested black and white points: per channel, black is the smallest value whose count at or
// below it exceeds `lowClipPercent` of the counted pixels, white the largest whose count at or
// above it exceeds `highClipPercent`; where white is not above black, white = min(255, black + 1)
// and black = white - 1.
struct Points {
    PerChannel<int> black{}, white{};
};
Points SuggestPoints(const Histograms& histograms, double lowClipPercent = kDefaultClipPercent,
                     double highClipPercent = kDefaultClipPercent);

// One set of points for a roll, from each frame's suggestion: per channel the median of the
// frames' black points and of their white points (the mean of the middle two, halves to even),
// white kept above black as above. A frame that shows more rebate than the border leaves out
// moves a median little, where counting it with the others would drag the points far.
Points RollPoints(const std::vector<Points>& frames);
void KeepWhiteAbove(int& black, int& white);

// Where a frame's points lie more than kFarLevels from the roll's: the first channel and end.
inline constexpr int kFarLevels = 16;
struct Departure {
    Channel channel = Channel::Red;
    bool black = true;
    int frame = 0, roll = 0;
};
std::optional<Departure> FarFrom(const Points& frame, const Points& roll);

}  // namespace tintwell::engine
