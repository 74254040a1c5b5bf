#include "document/tiff/pixels.h"

#include "document/limits.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace tintwell::document::tiff {
namespace {

// A colour model other than grey or RGB, with the reason it is refused.
std::optional<std::string> ModelRefusal(std::uint16_t photometric) {
    switch (photometric) {
        case PHOTOMETRIC_MINISBLACK:
        case PHOTOMETRIC_MINISWHITE:
        case PHOTOMETRIC_RGB:
            return std::nullopt;
        case PHOTOMETRIC_PALETTE:
            return "palette pictures are not taken; only grey and RGB are";
        case PHOTOMETRIC_SEPARATED:
            return "CMYK pictures are not taken; only grey and RGB are";
        case PHOTOMETRIC_YCBCR:
            return "YCbCr pictures are not taken; only grey and RGB are";
        case PHOTOMETRIC_CIELAB:
        case PHOTOMETRIC_ICCLAB:
        case PHOTOMETRIC_ITULAB:
            return "Lab pictures are not taken; only grey and RGB are";
        case PHOTOMETRIC_LOGL:
        case PHOTOMETRIC_LOGLUV:
            return "LogLuv pictures are not taken; only grey and RGB are";
        default:
            return "its colour model (" + std::to_string(photometric) +
                   ") is not taken; only grey and RGB are";
    }
}

// A compression this program cannot write back as it was, with the reason.
std::optional<std::string> CompressionRefusal(std::uint16_t compression) {
    switch (compression) {
        case COMPRESSION_NONE:
        case COMPRESSION_LZW:
        case COMPRESSION_ADOBE_DEFLATE:
        case COMPRESSION_DEFLATE:
        case COMPRESSION_PACKBITS:
        case COMPRESSION_ZSTD:
        case COMPRESSION_LZMA:
            if (TIFFIsCODECConfigured(compression)) return std::nullopt;
            return "its compression is not built into this system's libtiff";
        case COMPRESSION_JPEG:
        case COMPRESSION_OJPEG:
            return "it is JPEG compressed, which is lossy: every save would lose more";
        case COMPRESSION_WEBP:
        case 50002:  // JPEG XL
        case 34887:  // LERC
            return "its compression may be lossy: every save could lose more";
        default:
            return "its compression (" + std::to_string(compression) +
                   ") is not one this program writes back";
    }
}

bool HasPredictor(std::uint16_t compression) {
    return compression == COMPRESSION_LZW || compression == COMPRESSION_ADOBE_DEFLATE ||
           compression == COMPRESSION_DEFLATE || compression == COMPRESSION_ZSTD ||
           compression == COMPRESSION_LZMA;
}

Status CheckSamples(std::uint16_t format, std::uint16_t bits) {
    if (format == SAMPLEFORMAT_IEEEFP) return Unsupported("its samples are floating-point");
    if (format == SAMPLEFORMAT_INT) return Unsupported("its samples are signed");
    if (format != SAMPLEFORMAT_UINT) return Unsupported("its samples are not unsigned integers");
    if (bits < 8) return Unsupported("its samples have fewer than 8 bits");
    if (bits != 8 && bits != 16)
        return Unsupported("its samples have " + std::to_string(bits) + " bits");
    return Done{};
}

}  // namespace

Result<Shape> ReadShape(TIFF* t, std::uint64_t maxPixels) {
    Shape s;
    std::uint16_t bits = 0, samples = 0, format = SAMPLEFORMAT_UINT;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &s.width);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &s.height);
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &s.planar);
    TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &s.compression);
    if (TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &s.photometric) != 1)
        return Damaged("it does not say what its colour model is");
    if (auto why = ModelRefusal(s.photometric)) return Unsupported(*why);
    if (auto ok = CheckSamples(format, bits); !ok) return ok.Failure();
    if (auto why = CompressionRefusal(s.compression)) return Unsupported(*why);
    // Only the codecs that have a predictor know the tag.
    if (HasPredictor(s.compression))
        s.saysPredictor = TIFFGetField(t, TIFFTAG_PREDICTOR, &s.predictor) == 1;
    s.saysSampleFormat = TIFFGetField(t, TIFFTAG_SAMPLEFORMAT, &format) == 1;
    if (s.predictor == PREDICTOR_FLOATINGPOINT)
        return Unsupported("its predictor is for floating-point samples");
    const bool grey = s.photometric != PHOTOMETRIC_RGB;
    const int colours = grey ? 1 : 3;
    if (samples < colours)
        return Damaged("it has fewer samples a pixel than its colour model needs");
    if (samples > colours + 1) return Unsupported("it has more than one extra sample a pixel");
    std::uint16_t count = 0;
    std::uint16_t* types = nullptr;
    if (samples == colours + 1 && TIFFGetField(t, TIFFTAG_EXTRASAMPLES, &count, &types) == 1 &&
        count == 1)
        s.extraSample = types[0];
    if (s.width == 0 || s.height == 0 || s.width > INT_MAX || s.height > INT_MAX)
        return Damaged("its width or height is out of range");
    if (std::uint64_t{s.width} * s.height > maxPixels) return TooLarge(maxPixels);
    s.layout = engine::FileLayout(grey, samples > colours, bits);
    return s;
}

namespace {

// Colour samples as max − v: grey stored white-is-zero, turned round one way or the other.
void TurnRound(std::uint8_t* bytes, std::size_t pixels, const engine::Layout& layout) {
    const int colourSamples = layout.HasAlpha() ? layout.samples - 1 : layout.samples;
    for (std::size_t p = 0; p < pixels; ++p) {
        for (int s = 0; s < colourSamples; ++s) {
            const std::size_t at = p * layout.samples + s;
            if (layout.bits == 8) {
                bytes[at] = static_cast<std::uint8_t>(255 - bytes[at]);
            } else {
                std::uint16_t v = 0;
                std::memcpy(&v, bytes + 2 * at, 2);
                v = static_cast<std::uint16_t>(65535 - v);
                std::memcpy(bytes + 2 * at, &v, 2);
            }
        }
    }
}

// Copies a block of decoded samples (one plane's, or whole pixels') into the picture.
struct Block {
    std::uint32_t left, top, width, height;  // in the picture, already cut to it
    std::size_t stride;                      // bytes from one decoded row to the next
    int plane;                               // -1 for whole pixels
};

void Place(const std::uint8_t* decoded, const Block& b, engine::PixelBuffer& picture) {
    const engine::Layout& layout = picture.GetLayout();
    const std::size_t sampleBytes = static_cast<std::size_t>(layout.bits / 8);
    const std::size_t pixelBytes = static_cast<std::size_t>(layout.BytesPerPixel());
    for (std::uint32_t r = 0; r < b.height; ++r) {
        const std::uint8_t* in = decoded + r * b.stride;
        std::uint8_t* out = picture.Bytes(static_cast<int>(b.top + r)) + b.left * pixelBytes;
        if (b.plane < 0) {
            std::memcpy(out, in, b.width * pixelBytes);
            continue;
        }
        out += static_cast<std::size_t>(b.plane) * sampleBytes;
        for (std::uint32_t x = 0; x < b.width; ++x)
            std::memcpy(out + x * pixelBytes, in + x * sampleBytes, sampleBytes);
    }
}

bool ReadStrips(TIFF* t, const Shape& s, engine::PixelBuffer& picture) {
    std::uint32_t perStrip = 0;
    TIFFGetFieldDefaulted(t, TIFFTAG_ROWSPERSTRIP, &perStrip);
    perStrip = std::clamp<std::uint32_t>(perStrip, 1, s.height);
    const bool contiguous = s.planar == PLANARCONFIG_CONTIG;
    const std::size_t rowBytes =
        contiguous ? picture.RowSize() : std::size_t{s.width} * (s.layout.bits / 8);
    std::vector<std::uint8_t> strip(contiguous ? 0 : rowBytes * perStrip);
    for (int plane = 0; plane < (contiguous ? 1 : s.layout.samples); ++plane) {
        for (std::uint32_t top = 0; top < s.height; top += perStrip) {
            const std::uint32_t rows = std::min(perStrip, s.height - top);
            const auto size = static_cast<tmsize_t>(rows * rowBytes);
            std::uint8_t* into = contiguous ? picture.Bytes(static_cast<int>(top)) : strip.data();
            const auto index = TIFFComputeStrip(t, top, static_cast<std::uint16_t>(plane));
            if (TIFFReadEncodedStrip(t, index, into, size) != size) return false;
            if (!contiguous) Place(into, {0, top, s.width, rows, rowBytes, plane}, picture);
        }
    }
    return true;
}

bool ReadTiles(TIFF* t, const Shape& s, engine::PixelBuffer& picture) {
    std::uint32_t tileWidth = 0, tileHeight = 0;
    if (TIFFGetField(t, TIFFTAG_TILEWIDTH, &tileWidth) != 1 ||
        TIFFGetField(t, TIFFTAG_TILELENGTH, &tileHeight) != 1 || tileWidth == 0 || tileHeight == 0)
        return false;
    const bool contiguous = s.planar == PLANARCONFIG_CONTIG;
    const tmsize_t tileBytes = TIFFTileSize(t);
    const std::size_t stride = std::size_t{tileWidth} * (s.layout.bits / 8) *
                               static_cast<std::size_t>(contiguous ? s.layout.samples : 1);
    if (tileBytes <= 0 || static_cast<std::size_t>(tileBytes) < stride * tileHeight) return false;
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(tileBytes));
    for (int plane = 0; plane < (contiguous ? 1 : s.layout.samples); ++plane) {
        for (std::uint32_t top = 0; top < s.height; top += tileHeight) {
            for (std::uint32_t left = 0; left < s.width; left += tileWidth) {
                const auto index =
                    TIFFComputeTile(t, left, top, 0, static_cast<std::uint16_t>(plane));
                if (TIFFReadEncodedTile(t, index, tile.data(), tileBytes) != tileBytes)
                    return false;
                const Block b{left,
                              top,
                              std::min(tileWidth, s.width - left),
                              std::min(tileHeight, s.height - top),
                              stride,
                              contiguous ? -1 : plane};
                Place(tile.data(), b, picture);
            }
        }
    }
    return true;
}

}  // namespace

bool ReadPixels(TIFF* t, const Shape& shape, engine::PixelBuffer& picture) {
    const bool read = TIFFIsTiled(t) ? ReadTiles(t, shape, picture) : ReadStrips(t, shape, picture);
    if (read && shape.photometric == PHOTOMETRIC_MINISWHITE) {
        for (int y = 0; y < picture.Height(); ++y)
            TurnRound(picture.Bytes(y), static_cast<std::size_t>(picture.Width()), shape.layout);
    }
    return read;
}

// Strips are copied before they are handed over: libtiff may swap bytes and work out its
// predictor in the buffer it is given.
bool WritePixels(TIFF* t, const engine::PixelBuffer& picture, bool minIsWhite) {
    std::uint32_t perStrip = 1;
    TIFFGetField(t, TIFFTAG_ROWSPERSTRIP, &perStrip);
    const auto height = static_cast<std::uint32_t>(picture.Height());
    const std::size_t rowBytes = picture.RowSize();
    std::vector<std::uint8_t> strip(rowBytes * std::min(perStrip, height));
    for (std::uint32_t top = 0, index = 0; top < height; top += perStrip, ++index) {
        const std::uint32_t rows = std::min(perStrip, height - top);
        std::memcpy(strip.data(), picture.Bytes(static_cast<int>(top)), rows * rowBytes);
        if (minIsWhite)
            TurnRound(strip.data(), std::size_t{rows} * picture.Width(), picture.GetLayout());
        if (TIFFWriteEncodedStrip(t, index, strip.data(), static_cast<tmsize_t>(rows * rowBytes)) <
            0)
            return false;
    }
    return true;
}

}  // namespace tintwell::document::tiff
