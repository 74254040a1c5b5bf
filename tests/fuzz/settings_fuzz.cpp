// libFuzzer entry: any bytes, split at NUL bytes into the six level texts (black red, green,
// blue, then white), through the number reading and the settling of black points and factors.
// Every channel must come out within its promised ranges, or be refused.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

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
    return 0;
}
