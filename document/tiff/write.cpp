// Writing a TIFF: libtiff writes the pixels and the tags that describe them; the metadata goes
// in after, as the file had it.
#include <algorithm>

#include "document/tiff/codec.h"
#include "document/tiff/keepsake.h"
#include "document/tiff/pixels.h"
#include "document/tiff/session.h"

namespace tintwell::document::tiff {
namespace {

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

}  // namespace

Status Write(const Picture& picture, SafeFile& file) {
    const TiffKeepsake& keep = KeepsakeAs<TiffKeepsake>(picture);
    if (picture.pixels.IsEmpty()) return Fail(Problem::NoPicture);
    if (picture.pixels.IsScreenLayout()) return Fail(Problem::WrongLayout, "a TIFF file's");
    const Variant& variant = keep.metadata.variant;
    const auto session = Session::ForWriting(file, variant.bigEndian, variant.big);
    TIFF* t = session->Tiff();
    if (t == nullptr) return session->WriteFailure();
    if (auto ok = SetFields(t, picture.pixels, keep); !ok) return ok;
    if (!WritePixels(t, picture.pixels, keep.minIsWhite) || TIFFWriteDirectory(t) != 1)
        return session->WriteFailure();
    if (auto ok = session->Finish(); !ok) return ok;
    return WriteMetadata(file, keep.metadata);
}

std::shared_ptr<const Keepsake> AsPositive(const Picture& picture,
                                           const std::vector<std::uint8_t>& profile) {
    constexpr std::uint16_t kProfile = 34675;
    auto keep = std::make_shared<TiffKeepsake>(KeepsakeAs<TiffKeepsake>(picture));
    std::erase_if(keep->metadata.main.entries, [](const Entry& e) { return e.tag == kProfile; });
    keep->metadata.main.entries.push_back({kProfile, 7, profile.size(), profile});
    return keep;
}

}  // namespace tintwell::document::tiff
