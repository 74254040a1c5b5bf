#include "document/bmp_reader.h"

#include "document/bmp_decode.h"
#include "document/bmp_header.h"

namespace tintwell::document {

Result<engine::PixelBuffer> DecodeBmp(ByteSource& source, std::uint64_t maxPixels) {
    auto header = ReadBmpHeader(source, maxPixels);
    if (!header) return header.Failure();
    const BmpHeader& h = header.Value();
    auto picture = engine::PixelBuffer::Allocate(h.width, h.height);
    if (!picture) return Fail("there is not enough memory for a picture this large");
    const bool compressed = h.encoding == Encoding::Rle4 || h.encoding == Encoding::Rle8 ||
                            h.encoding == Encoding::Rle24;
    Status decoded = compressed ? detail::DecodeRle(source, h, *picture)
                                : detail::DecodeRows(source, h, *picture);
    if (!decoded) return decoded.Failure();
    return std::move(*picture);
}

Result<engine::PixelBuffer> ReadBmp(const std::filesystem::path& path) {
    auto source = FileSource::Open(path);
    if (!source) return source.Failure();
    return DecodeBmp(*source.Value());
}

}  // namespace tintwell::document
