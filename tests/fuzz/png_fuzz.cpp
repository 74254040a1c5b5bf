// libFuzzer entry: any bytes through the PNG reader (libpng under our own file access and
// error handling). Pictures are capped at 4 megapixels so that each input stays quick.
#include <cstddef>
#include <cstdint>

#include "document/png/codec.h"
#include "fuzz_touch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tintwell::document::MemorySource source({data, size});
    auto picture = tintwell::document::png::Read(source, 4'000'000);
    if (picture) tintwell::tests::TouchEverySample(picture.Value().pixels);
    return 0;
}
