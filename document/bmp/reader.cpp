#include "document/bmp/reader.h"

#include "document/bmp/decode.h"
#include "document/bmp/header.h"

namespace tintwell::document {

namespace {

Result<engine::PixelBuffer> Decode(ByteSource& source, std::uint64_t maxPixels) {
    auto header = ReadBmpHeader(source, maxPixels);
    if (!header) return header.Failure();
    const BmpHeader& h = header.Value();
    auto picture = engine::PixelBuffer::Allocate(h.width, h.height);
    if (!picture) return Fail(Problem::NoMemory);
    const bool compressed = h.encoding == Encoding::Rle4 || h.encoding == Encoding::Rle8 ||
                            h.encoding == Encoding::Rle24;
    Status decoded = compressed ? detail::DecodeRle(source, h, *picture)
                                : detail::DecodeRows(source, h, *picture);
    if (!decoded) return decoded.Failure();
    return std::move(*picture);
}

}  // namespace

Result<engine::PixelBuffer> DecodeBmp(ByteSource& source, std::uint64_t maxPixels) {
    return Guarded([&] { return Decode(source, maxPixels); },
                   [] { return Result<engine::PixelBuffer>(Fail(Problem::NoMemory)); });
}

Result<engine::PixelBuffer> ReadBmp(const std::filesystem::path& path) {
    auto source = FileSource::Open(path);
    if (!source) return source.Failure();
    return DecodeBmp(*source.Value());
}

}  // namespace tintwell::document
