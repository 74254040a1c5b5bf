#pragma once

// What the roll benchmarks share: uncompressed 16-bit RGB TIFFs made row by row, and a command
// run once an iteration into an empty folder.
#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "run_command.h"

namespace tintwell::bench {

inline void WriteTiff16(const std::filesystem::path& path, int width, int height,
                        const std::function<std::vector<std::uint16_t>(int y)>& row) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 16);
    for (int y = 0; y < height; ++y)
        TIFFWriteScanline(t, row(y).data(), static_cast<std::uint32_t>(y), 0);
    TIFFClose(t);
}

// Each iteration starts from an empty `folder`; the commands' peak memory is a counter.
template <typename Command>
void EachIntoEmpty(benchmark::State& state, const std::filesystem::path& folder,
                   const Command& command) {
    double peakMb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        state.ResumeTiming();
        if (!RunCommand(command(), peakMb)) return state.SkipWithError("the command failed");
    }
    state.counters["peak_MB"] = peakMb;
}

}  // namespace tintwell::bench
