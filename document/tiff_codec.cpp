// TIFF through libtiff: 8- and 16-bit unsigned grey or RGB, one alpha sample or none, strips or
// tiles, either planar configuration and byte order, uncompressed or losslessly compressed;
// written back as it was read, with its metadata byte for byte.
#include <algorithm>
#include <array>
#include <cstring>
#include <tuple>
#include <vector>

#include "document/bmp_header.h"
#include "document/codec.h"
#include "document/tiff_codec.h"
#include "document/tiff_metadata.h"
#include "document/tiff_pixels.h"
#include "document/tiff_session.h"

namespace tintwell::document {
namespace {

using tiff::Session;
using tiff::Shape;

// What a TIFF needs to be written back as it was read.
struct TiffKeepsake final : Keepsake {
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint16_t predictor = PREDICTOR_NONE;
    std::uint16_t extraSample = EXTRASAMPLE_UNASSALPHA;
    bool saysPredictor = false, saysSampleFormat = false;
    bool minIsWhite = false;
    tiff::Metadata metadata;
};

std::shared_ptr<TiffKeepsake> KeepsakeOf(const Shape& shape, tiff::Metadata metadata) {
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

Result<tiff::Metadata> MetadataOf(TIFF* t, ByteSource& source) {
    const tiff::Bytes bytes{
        [&](std::uint64_t at, std::span<std::uint8_t> out) { return source.ReadAt(at, out); },
        source.Size()};
    return tiff::ReadMetadata(bytes, TIFFIsTiled(t) != 0);
}

Result<Picture> ReadTiffFile(ByteSource& source, std::uint64_t maxPixels) {
    const auto session = Session::ForReading(source);
    TIFF* t = session->Tiff();
    if (t == nullptr) return session->ReadFailure();
    // Rewriting a file of several pictures would keep only the first.
    if (TIFFNumberOfDirectories(t) != 1 || session->HasFailed()) {
        if (session->HasFailed()) return session->ReadFailure();
        return Unsupported("it holds more than one picture; rewriting it would drop the others");
    }
    std::uint16_t subPictures = 0;
    std::uint64_t* unused = nullptr;
    if (TIFFGetField(t, TIFFTAG_SUBIFD, &subPictures, &unused) == 1 && subPictures > 0)
        return Unsupported("it holds more than one picture; rewriting it would drop the others");
    auto shape = tiff::ReadShape(t, maxPixels);
    if (!shape) return session->HasFailed() ? session->ReadFailure() : shape.Failure();
    auto metadata = MetadataOf(t, source);
    if (!metadata) return metadata.Failure();
    auto pixels =
        engine::PixelBuffer::Allocate(static_cast<int>(shape.Value().width),
                                      static_cast<int>(shape.Value().height), shape.Value().layout);
    if (!pixels) return Fail(Problem::NoMemory);
    if (!tiff::ReadPixels(t, shape.Value(), *pixels) || session->HasFailed())
        return session->ReadFailure();
    return Picture{std::move(*pixels), Format::Tiff,
                   KeepsakeOf(shape.Value(), std::move(metadata.Value()))};
}

Status SetFields(TIFF* t, const engine::PixelBuffer& pixels, const TiffKeepsake& keep) {
    const engine::Layout& layout = pixels.GetLayout();
    const bool grey = layout.IsGrey();
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(pixels.Width()));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(pixels.Height()));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, layout.bits);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, layout.samples);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC,
                 !grey             ? PHOTOMETRIC_RGB
                 : keep.minIsWhite ? PHOTOMETRIC_MINISWHITE
                                   : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (layout.HasAlpha()) {
        const std::uint16_t extra = keep.extraSample;
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (TIFFSetField(t, TIFFTAG_COMPRESSION, keep.compression) != 1)
        return Fail(Problem::CantWrite, "(its compression)");
    if (keep.saysPredictor) TIFFSetField(t, TIFFTAG_PREDICTOR, keep.predictor);
    if (keep.saysSampleFormat) TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_UINT);
    const std::size_t rows = std::max<std::size_t>(1, (std::size_t{1} << 20) / pixels.RowSize());
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(rows));
    return Done{};
}

// libtiff writes the pixels and the tags that describe them; the metadata goes in after, as
// the file had it.
Status WriteTiff(const Picture& picture, SafeFile& file) {
    static const TiffKeepsake kPlain;
    const auto* kept = dynamic_cast<const TiffKeepsake*>(picture.keepsake.get());
    const TiffKeepsake& keep = kept != nullptr ? *kept : kPlain;
    if (picture.pixels.IsEmpty()) return Fail(Problem::NoPicture);
    if (picture.pixels.IsScreenLayout()) return Fail(Problem::WrongLayout, "a TIFF file's");
    const tiff::Variant& variant = keep.metadata.variant;
    const auto session = Session::ForWriting(file, variant.bigEndian, variant.big);
    TIFF* t = session->Tiff();
    if (t == nullptr) return session->WriteFailure();
    if (auto ok = SetFields(t, picture.pixels, keep); !ok) return ok;
    if (!tiff::WritePixels(t, picture.pixels, keep.minIsWhite) || TIFFWriteDirectory(t) != 1)
        return session->WriteFailure();
    if (auto ok = session->Finish(); !ok) return ok;
    return tiff::WriteMetadata(file, keep.metadata);
}

class Tiff final : public Codec {
public:
    Format Kind() const override { return Format::Tiff; }
    bool Recognises(std::span<const std::uint8_t> head) const override {
        if (head.size() < 4) return false;
        const bool little =
            head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0;
        const bool big =
            head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43);
        return little || big;
    }
    Result<Picture> Read(ByteSource& source) const override {
        return ReadTiffFile(source, kMaxPixels);
    }
    Status Write(const Picture& picture, SafeFile& file) const override {
        return WriteTiff(picture, file);
    }
};

}  // namespace

Result<Picture> ReadTiff(ByteSource& source, std::uint64_t maxPixels) {
    return ReadTiffFile(source, maxPixels);
}

const Codec& TiffCodec() {
    static const Tiff codec;
    return codec;
}

}  // namespace tintwell::document
