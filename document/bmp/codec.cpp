// The bitmap format through our own reader and writer.
#include "document/bmp/codec.h"

#include "document/bmp/reader.h"
#include "document/bmp/writer.h"

namespace tintwell::document::bmp {

Result<Picture> Read(ByteSource& source, std::uint64_t maxPixels) {
    auto pixels = DecodeBmp(source, maxPixels);
    if (!pixels) return pixels.Failure();
    return Picture{std::move(pixels.Value()), Format::Bmp, nullptr};
}

Status Write(const Picture& picture, SafeFile& file, bool proxy) {
    return EncodeBmp(picture.pixels, file, proxy);
}

}  // namespace tintwell::document::bmp
