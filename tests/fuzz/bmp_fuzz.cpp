// libFuzzer entry: any bytes through the bitmap reader. Pictures are capped at 4 megapixels so
// that each input stays quick; the size checks themselves are the same.
#include <cstddef>
#include <cstdint>

#include "document/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tintwell::document::MemorySource source({data, size});
    auto picture = tintwell::document::DecodeBmp(source, 4'000'000);
    if (picture) {
        // Touch every pixel so that anything left unset shows under MemorySanitizer-like checks.
        std::uint32_t sum = 0;
        const auto& p = picture.Value();
        for (std::size_t i = 0; i < p.PixelCount(); ++i) sum += p.Data()[i];
        volatile std::uint32_t sink = sum;
        (void)sink;
    }
    return 0;
}
