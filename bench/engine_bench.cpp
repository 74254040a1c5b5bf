// The correction pass against the cost of touching every pixel once (memcpy of the buffer).
#include <benchmark/benchmark.h>

#include <cstring>

#include "engine/correction_pass.h"
#include "engine/pixel.h"
#include "platform/platform.h"
#include "ratio_reporter.h"

namespace {

using namespace tintwell;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

class NoYield : public platform::Platform {
public:
    platform::Answer MsgBox(const std::string&, platform::MsgStyle, const std::string&) override {
        return platform::Answer::Ok;
    }
    void Beep() override {}
    void DoEvents() override {}
    void SetMousePointer(platform::Pointer) override {}
    void End() override {}
};

engine::PixelBuffer Picture() {
    engine::PixelBuffer buffer = *engine::PixelBuffer::Allocate(kWidth, kHeight);
    std::uint32_t seed = 12345;
    for (std::size_t i = 0; i < buffer.PixelCount(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        buffer.Data()[i] = engine::kOpaque | (seed >> 8);
    }
    return buffer;
}

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
    engine::PixelBuffer from = Picture();
    engine::PixelBuffer to = Picture();
    for (auto _ : state) {
        std::memcpy(to.Data(), from.Data(), from.PixelCount() * sizeof(std::uint32_t));
        benchmark::ClobberMemory();
    }
}

template <typename SurfaceType>
void RunPass(benchmark::State& state) {
    engine::PixelBuffer picture = Picture();
    SurfaceType surface(picture);
    NoYield platform;
    bool cancel = false;
    for (auto _ : state) {
        engine::RunCorrectionPass(surface, kLevels, platform, cancel);
        benchmark::ClobberMemory();
    }
}

void BM_pass(benchmark::State& state) {
    RunPass<engine::BufferSurface>(state);
}
void BM_pass_per_pixel(benchmark::State& state) {
    RunPass<PointOnly>(state);
}

BENCHMARK(BM_memcpy)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_pass)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_pass_per_pixel)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return tintwell::bench::RunWithRatios(
        argc, argv,
        {{"pass_per_pixel/memcpy", {"BM_pass_per_pixel", "BM_memcpy"}},
         {"pass/memcpy", {"BM_pass", "BM_memcpy"}}});
}
