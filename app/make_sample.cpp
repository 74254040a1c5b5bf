// Writes a sample picture that looks like a scanned, inverted colour negative: a small scene
// squeezed into a narrow band of each channel, with the strong blue-green cast film gives.
// The window's default black and white points take the cast away. Beside it, the same scene as
// a negative straight off the film: a linear 16-bit TIFF with the orange mask, each dye layer
// of its own contrast, and the unexposed rebate above and below the frame.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "document/bmp/writer.h"
#include "document/codec.h"
#include "document/reason.h"
#include "document/safe_file.h"
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

// The film: its base (the mask, on the 16-bit scale) and each layer's densities for black and
// white, the print curve's contrast and the rebate's height.
constexpr PerChannel<double> kBase = {52000, 30000, 16000};
constexpr PerChannel<double> kThinnest = {0.08, 0.12, 0.15};
constexpr PerChannel<double> kDensest = {1.9, 2.2, 2.5};
constexpr double kContrast = 2.0;
constexpr int kRebate = 30;  // inside the border a suggestion leaves out

double Linear(double encoded) {
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

// The scene's light as the negative holds it: the print curve undone, then the layer's density.
std::uint16_t NegativeSample(int c, double scene, double noise) {
    const double light = Linear(std::clamp(scene / 255.0, 0.0, 1.0));
    const double n = std::log10(1 + light * (std::pow(10, kContrast) - 1)) / kContrast;
    // The grain is in the density: a thousandth of the range either way.
    const double density = kThinnest[c] + (kDensest[c] - kThinnest[c]) * (n + noise / 20000);
    return static_cast<std::uint16_t>(
        std::clamp(std::lround(kBase[c] / std::pow(10, density)), 1L, 65535L));
}

int WriteNegative(const char* path) {
    const int height = kHeight + 2 * kRebate;
    auto pixels = tintwell::engine::PixelBuffer::Allocate(
        kWidth, height, tintwell::engine::FileLayout(false, false, 16));
    unsigned grain = 11;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint16_t*>(pixels->Bytes(y));
        const bool rebate = y < kRebate || y >= kRebate + kHeight;
        for (int x = 0; x < kWidth; ++x) {
            const PerChannel<double> scene = rebate ? PerChannel<double>{} : Scene(x, y - kRebate);
            for (int c = 0; c < 3; ++c) {
                grain = grain * 1103515245u + 12345u;
                const double noise = static_cast<double>((grain >> 16) % 41) - 20.0;
                row[x * 3 + c] = rebate ? static_cast<std::uint16_t>(kBase[c] + noise)
                                        : NegativeSample(c, scene[c], noise);
            }
        }
    }
    using namespace tintwell::document;
    const Picture picture{std::move(*pixels), Format::Tiff, nullptr};
    auto file = SafeFile::Create(path);
    Status written = file ? TiffCodec().Write(picture, file.Value()) : Status(file.Failure());
    if (written) written = file.Value().Commit();
    if (!written) {
        std::fprintf(stderr, "make_sample: %s\n", Reason(written.Failure()).c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_sample OUT.bmp OUT-NEGATIVE.tif\n");
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
    return WriteNegative(argv[2]);
}
