// The correction pass against the cost of touching every pixel once (memcpy of the buffer).
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench_support.h"
#include "engine/correction_pass.h"
#include "engine/histogram.h"
#include "engine/pixel.h"
#include "platform/platform.h"
#include "ratio_reporter.h"

namespace {

using namespace tintwell;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

const engine::Levels kLevels = [] {
    engine::Levels l;
    l.black = {10, 45, 80};
    l.factor = {255.0f / 65, 255.0f / 135, 255.0f / 130};
    return l;
}();

class PointOnly : public engine::BufferSurface {
public:
    using BufferSurface::BufferSurface;
    std::span<std::uint32_t> Row(int) override { return {}; }
};

void BM_memcpy(benchmark::State& state) {
    engine::PixelBuffer from = bench::NoisePicture(kWidth, kHeight);
    engine::PixelBuffer to = bench::NoisePicture(kWidth, kHeight);
    for (auto _ : state) {
        std::memcpy(to.Data(), from.Data(), from.PixelCount() * sizeof(std::uint32_t));
        benchmark::ClobberMemory();
    }
}

template <typename SurfaceType>
void RunPass(benchmark::State& state) {
    engine::PixelBuffer picture = bench::NoisePicture(kWidth, kHeight);
    SurfaceType surface(picture);
    for (auto _ : state) {
        engine::RunCorrectionPass(surface, kLevels, [](int) { return true; });
        benchmark::ClobberMemory();
    }
}

void BM_pass(benchmark::State& state) {
    RunPass<engine::BufferSurface>(state);
}
void BM_pass_per_pixel(benchmark::State& state) {
    RunPass<PointOnly>(state);
}

void BM_histogram(benchmark::State& state) {
    const engine::PixelBuffer picture = bench::NoisePicture(kWidth, kHeight);
    for (auto _ : state) benchmark::DoNotOptimize(engine::CountHistograms(picture, 0));
}

BENCHMARK(BM_memcpy)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_pass)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_pass_per_pixel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_histogram)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    return tintwell::bench::RunWithRatios(
        argc, argv,
        {{"pass_per_pixel/memcpy", {"BM_pass_per_pixel", "BM_memcpy"}},
         {"pass/memcpy", {"BM_pass", "BM_memcpy"}},
         {"histogram/memcpy", {"BM_histogram", "BM_memcpy"}}});
}
