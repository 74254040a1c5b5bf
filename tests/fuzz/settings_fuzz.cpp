// libFuzzer entry: any bytes, split at NUL bytes into the six level texts (black red, green,
// blue, then white), through the number reading and the settling of black points and factors,
// and through the batch program's command line, both as its --black and --white and as any
// arguments. Every channel must come out within its promised ranges, or be refused; what the
// batch program takes must settle.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "batch/options.h"
#include "engine/levels.h"
#include "engine/levels_table.h"

namespace {

using namespace tintwell::engine;

void Check(bool holds) {
    if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::array<std::string, 6> texts;
    std::size_t field = 0;
    for (std::size_t i = 0; i < size && field < texts.size(); ++i) {
        if (data[i] == 0) {
            ++field;
        } else {
            texts[field] += static_cast<char>(data[i]);
        }
    }
    const FactorsResult r =
        CalcFactors({texts[0], texts[1], texts[2]}, {texts[3], texts[4], texts[5]});
    Check(r.settled >= 0 && r.settled <= kChannels);
    Check(r.error.has_value() == (r.settled < kChannels));
    if (r.error) Check(static_cast<int>(r.error->channel) == r.settled);
    for (int c = 0; c < r.settled; ++c) {
        Check(r.levels.black[c] >= 0 && r.levels.black[c] <= 255);
        Check(std::isfinite(r.levels.factor[c]));
        Check(r.blackTexts[c] == std::to_string(r.levels.black[c]));
    }
    if (!r.error) {
        const LevelsTable table(r.levels);
        std::uint32_t row[256];
        for (std::uint32_t v = 0; v < 256; ++v) row[v] = 0xFF000000u | (v * 0x010101u);
        table.ApplyRow(row, 256);
        (void)IsNothingToDo(r.levels);
    }
    // The same texts through the batch program's options: read back as they were given.
    const auto joined = [&](int first) {
        return texts[first] + "," + texts[first + 1] + "," + texts[first + 2];
    };
    const tintwell::batch::Parsed parsed = tintwell::batch::ParseOptions(
        {"--black", joined(0), "--white", joined(3), "--in-place", "x.bmp"}, 2);
    bool commas = false;
    for (const std::string& t : texts) commas = commas || t.find(',') != std::string::npos;
    if (parsed.options && !commas) {
        // What the batch program's strict reading takes, the window's rule settles alike, and
        // every channel stretches upward.
        Check(!r.error);
        const Levels& taken = parsed.options->job.levels;
        for (int c = 0; c < kChannels; ++c) {
            Check(taken.black[c] == r.levels.black[c] && taken.factor[c] == r.levels.factor[c]);
            Check(r.levels.factor[c] > 0);
        }
    }
    // And as any arguments at all.
    (void)tintwell::batch::ParseOptions({texts.begin(), texts.end()}, 2);
    return 0;
}
