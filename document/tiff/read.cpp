// Reading a TIFF: its pixels through libtiff, its metadata as the file has it.
#include "document/limits.h"
#include "document/tiff/codec.h"
#include "document/tiff/keepsake.h"
#include "document/tiff/pixels.h"
#include "document/tiff/session.h"

namespace tintwell::document::tiff {
namespace {

std::shared_ptr<TiffKeepsake> KeepsakeOf(const Shape& shape, Metadata metadata) {
    auto keep = std::make_shared<TiffKeepsake>();
    keep->compression = shape.compression;
    keep->predictor = shape.predictor;
    keep->extraSample = shape.extraSample;
    keep->saysPredictor = shape.saysPredictor;
    keep->saysSampleFormat = shape.saysSampleFormat;
    keep->minIsWhite = shape.photometric == PHOTOMETRIC_MINISWHITE;
    keep->metadata = std::move(metadata);
    return keep;
}

Result<Metadata> MetadataOf(TIFF* t, ByteSource& source) {
    const Bytes bytes{
        [&](std::uint64_t at, std::span<std::uint8_t> out) { return source.ReadAt(at, out); },
        source.Size()};
    return ReadMetadata(bytes, TIFFIsTiled(t) != 0);
}

// Rewriting a file of several pictures would keep only the first.
Status OnePicture(TIFF* t, const Session& session) {
    if (session.HasFailed()) return session.ReadFailure();
    std::uint16_t subPictures = 0;
    std::uint64_t* unused = nullptr;
    const bool more =
        TIFFNumberOfDirectories(t) != 1 ||
        (TIFFGetField(t, TIFFTAG_SUBIFD, &subPictures, &unused) == 1 && subPictures > 0);
    if (more)
        return Unsupported("it holds more than one picture; rewriting it would drop the others");
    return Done{};
}

}  // namespace

Result<Picture> Read(ByteSource& source, std::uint64_t maxPixels) {
    const auto session = Session::ForReading(source);
    TIFF* t = session->Tiff();
    if (t == nullptr) return session->ReadFailure();
    if (auto ok = OnePicture(t, *session); !ok) return ok.Failure();
    auto shape = ReadShape(t, maxPixels);
    if (!shape) return session->HasFailed() ? session->ReadFailure() : shape.Failure();
    auto metadata = MetadataOf(t, source);
    if (!metadata) return metadata.Failure();
    auto pixels =
        engine::PixelBuffer::Allocate(static_cast<int>(shape.Value().width),
                                      static_cast<int>(shape.Value().height), shape.Value().layout);
    if (!pixels) return Fail(Problem::NoMemory);
    if (!ReadPixels(t, shape.Value(), *pixels) || session->HasFailed())
        return session->ReadFailure();
    return Picture{std::move(*pixels), Format::Tiff,
                   KeepsakeOf(shape.Value(), std::move(metadata.Value()))};
}

}  // namespace tintwell::document::tiff
