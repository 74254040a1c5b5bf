// libFuzzer entry: any bytes through the bitmap reader. Pictures are capped at 4 megapixels so
// that each input stays quick; the size checks themselves are the same.
#include <cstddef>
#include <cstdint>

#include "document/bmp/reader.h"
#include "fuzz_touch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tintwell::document::MemorySource source({data, size});
    auto picture = tintwell::document::DecodeBmp(source, 4'000'000);
    if (picture) tintwell::tests::TouchEverySample(picture.Value());
    return 0;
}
