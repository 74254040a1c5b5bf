// Writes a sample picture that looks like a scanned, inverted colour negative: a small scene
// squeezed into a narrow band of each channel, with the strong blue-green cast film gives.
// The window's default black and white points take the cast away.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "document/bmp/writer.h"
#include "document/reason.h"
#include "engine/levels.h"
#include "engine/pixel.h"

namespace {

using tintwell::engine::PerChannel;

constexpr int kWidth = 900;
constexpr int kHeight = 600;
constexpr PerChannel<double> kBlack = {10, 45, 80};
constexpr PerChannel<double> kWhite = {75, 180, 210};

PerChannel<double> Scene(int x, int y) {
    const double u = static_cast<double>(x) / kWidth, v = static_cast<double>(y) / kHeight;
    const double sun = std::hypot(u - 0.72, v - 0.28);
    if (sun < 0.07) return {255, 236, 170};
    const double horizon = 0.58 + 0.05 * std::sin(u * 9.0);
    if (v < horizon) {
        const double glow = std::max(0.0, 1.0 - sun * 2.2);
        return {90 + 150 * glow, 140 + 80 * glow, 230 - 60 * v};
    }
    const double field = (v - horizon) / (1.0 - horizon);
    const double rows = 0.5 + 0.5 * std::sin(u * 60.0 + field * 25.0);
    return {60 + 70 * field + 25 * rows, 110 + 50 * rows - 30 * field, 40 + 20 * field};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample OUT.bmp\n");
        return 2;
    }
    auto picture = tintwell::engine::PixelBuffer::Allocate(kWidth, kHeight);
    unsigned grain = 7;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const PerChannel<double> scene = Scene(x, y);
            PerChannel<std::uint32_t> out{};
            for (int c = 0; c < 3; ++c) {
                grain = grain * 1103515245u + 12345u;
                const double noise = static_cast<double>((grain >> 16) % 7) - 3.0;
                const double value =
                    kBlack[c] + (scene[c] + noise) * (kWhite[c] - kBlack[c]) / 255.0;
                out[c] = static_cast<std::uint32_t>(std::clamp(std::lround(value), 0L, 255L));
            }
            picture->Row(y)[x] = tintwell::engine::PackPixel(out[0], out[1], out[2]);
        }
    }
    const auto written = tintwell::document::WriteBmp(*picture, argv[1]);
    if (!written) {
        std::fprintf(stderr, "make_sample: %s\n",
                     tintwell::document::Reason(written.Failure()).c_str());
        return 1;
    }
    return 0;
}
