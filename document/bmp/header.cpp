#include "document/bmp/header.h"

#include <algorithm>
#include <bit>
#include <string>

#include "engine/pixel.h"

namespace tintwell::document {
namespace {

constexpr std::uint64_t kFileHeaderSize = 14;
constexpr std::uint32_t kProfileLinked = 0x4C494E4B;    // 'LINK'
constexpr std::uint32_t kProfileEmbedded = 0x4D424544;  // 'MBED'

std::uint32_t U16(const std::uint8_t* p) {
    return p[0] | (p[1] << 8);
}
std::uint32_t U32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}
std::int32_t I32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(U32(p));
}

bool IsOs2Header(std::uint32_t size) {
    return size == 12 || (size >= 16 && size <= 64 && size != 40 && size != 52 && size != 56);
}
bool IsKnownHeader(std::uint32_t size) {
    return IsOs2Header(size) || size == 40 || size == 52 || size == 56 || size == 108 ||
           size == 124;
}

// The header fields the rest of the reading works from, before any checks.
struct RawInfo {
    std::uint32_t headerSize = 0;
    std::uint32_t fileSizeField = 0;
    std::uint32_t dataOffset = 0;
    std::int64_t width = 0, height = 0;
    std::uint32_t planes = 0, bitCount = 0, compression = 0, imageSize = 0, colorsUsed = 0;
    std::int64_t densityX = 0, densityY = 0;
    std::uint32_t colourSpace = 0;
    std::array<std::uint32_t, 3> masks{};
    bool masksInHeader = false;
};

Result<RawInfo> ReadRawInfo(ByteSource& source) {
    std::array<std::uint8_t, 124 + kFileHeaderSize> buf{};
    if (source.Read(std::span(buf).first(18)) != 18)
        return Damaged("the file is too short to be a bitmap");
    if (buf[0] != 'B' || buf[1] != 'M') return Damaged("it is not a bitmap file");
    RawInfo info;
    info.fileSizeField = U32(&buf[2]);
    info.dataOffset = U32(&buf[10]);
    info.headerSize = U32(&buf[14]);
    if (!IsKnownHeader(info.headerSize))
        return Damaged("its header size is not that of any bitmap version");
    const std::size_t rest = info.headerSize - 4;
    if (source.Read(std::span(buf).subspan(18, rest)) != rest)
        return Damaged("the file ends inside its header");
    const std::uint8_t* h = &buf[kFileHeaderSize];
    if (info.headerSize == 12) {
        info.width = U16(h + 4);
        info.height = U16(h + 6);
        info.planes = U16(h + 8);
        info.bitCount = U16(h + 10);
        return info;
    }
    info.width = I32(h + 4);
    info.height = I32(h + 8);
    info.planes = U16(h + 12);
    info.bitCount = U16(h + 14);
    // Short OS/2 headers leave the remaining fields at zero.
    info.compression = info.headerSize >= 20 ? U32(h + 16) : 0;
    info.imageSize = info.headerSize >= 24 ? U32(h + 20) : 0;
    info.densityX = info.headerSize >= 28 ? I32(h + 24) : 0;
    info.densityY = info.headerSize >= 32 ? I32(h + 28) : 0;
    info.colorsUsed = info.headerSize >= 36 ? U32(h + 32) : 0;
    if (!IsOs2Header(info.headerSize) && info.headerSize >= 52) {
        info.masks = {U32(h + 40), U32(h + 44), U32(h + 48)};
        info.masksInHeader = true;
    }
    if (info.headerSize >= 108) info.colourSpace = U32(h + 56);
    return info;
}

Result<Encoding> EncodingOf(const RawInfo& info) {
    const bool os2 = IsOs2Header(info.headerSize);
    const std::uint32_t bc = info.bitCount;
    switch (info.compression) {
        case 0:
            if (bc == 1 || bc == 2 || bc == 4 || bc == 8 || bc == 16 || bc == 24 || bc == 32)
                return Encoding::Rgb;
            if (bc == 64) return Unsupported("64-bit pixels are not supported");
            return Damaged("its bits per pixel are not a bitmap's");
        case 1:
            if (bc == 8) return Encoding::Rle8;
            return Damaged("RLE8 compression with other than 8 bits per pixel");
        case 2:
            if (bc == 4) return Encoding::Rle4;
            return Damaged("RLE4 compression with other than 4 bits per pixel");
        case 3:
            if (os2) return Unsupported("Huffman compression is not supported");
            if (bc == 16 || bc == 32) return Encoding::BitFields;
            return Damaged("bit fields with other than 16 or 32 bits per pixel");
        case 4:
            if (os2 && bc == 24) return Encoding::Rle24;
            if (os2) return Damaged("RLE24 compression with other than 24 bits per pixel");
            return Unsupported("embedded JPEG pictures are not supported");
        case 5:
            return Unsupported("embedded PNG pictures are not supported");
        case 6:
            if (bc == 16 || bc == 32) return Encoding::BitFields;
            return Damaged("alpha bit fields with other than 16 or 32 bits per pixel");
        default:
            return Damaged("its compression method is unknown");
    }
}

Result<BitField> MakeField(std::uint32_t mask) {
    if (mask == 0) return Damaged("a colour channel has no bits");
    BitField field;
    field.mask = mask;
    field.shift = std::countr_zero(mask);
    field.bits = std::popcount(mask);
    if ((mask >> field.shift) != (std::uint32_t{0xFFFFFFFF} >> (32 - field.bits))) {
        return Damaged("a colour channel's bits are not contiguous");
    }
    return field;
}

Status CheckGeometry(const RawInfo& info, std::uint64_t maxPixels) {
    if (info.planes != 1) return Damaged("its plane count is not 1");
    if (info.width <= 0) return Damaged("its width is not positive");
    if (info.height == 0) return Damaged("its height is zero");
    const std::int64_t height = info.height < 0 ? -info.height : info.height;
    if (info.width > kMaxSide || height > kMaxSide ||
        static_cast<std::uint64_t>(info.width) * static_cast<std::uint64_t>(height) > maxPixels) {
        return TooLarge(maxPixels);
    }
    for (std::int64_t d : {info.densityX, info.densityY}) {
        if (d < 0 || d > kMaxDensity) return Damaged("its pixel density is out of range");
    }
    if (info.colourSpace == kProfileEmbedded || info.colourSpace == kProfileLinked) {
        return Unsupported("colour profiles are not supported");
    }
    return Done{};
}

Result<std::array<BitField, 3>> ReadFields(ByteSource& source, const RawInfo& info) {
    std::array<std::uint32_t, 3> masks = info.masks;
    if (info.compression == 3 || info.compression == 6) {
        if (!info.masksInHeader) {
            std::array<std::uint8_t, 16> buf{};
            const std::size_t n = info.compression == 6 ? 16 : 12;
            if (source.Read(std::span(buf).first(n)) != n)
                return Damaged("the file ends inside its bit fields");
            masks = {U32(&buf[0]), U32(&buf[4]), U32(&buf[8])};
        }
    } else if (info.bitCount == 16) {
        masks = {0x7C00, 0x03E0, 0x001F};
    } else {
        masks = {0xFF0000, 0x00FF00, 0x0000FF};
    }
    if (info.bitCount == 16 && ((masks[0] | masks[1] | masks[2]) >> 16) != 0) {
        return Damaged("a bit field lies outside the 16-bit pixel");
    }
    if ((masks[0] & masks[1]) || (masks[0] & masks[2]) || (masks[1] & masks[2])) {
        return Damaged("colour channels share bits");
    }
    std::array<BitField, 3> fields;
    for (int c = 0; c < 3; ++c) {
        auto field = MakeField(masks[c]);
        if (!field) return field.Failure();
        fields[c] = field.Value();
    }
    return fields;
}

// Entries the palette holds: what the header says, cut off where the pixel data starts.
Result<std::vector<std::uint32_t>> ReadPalette(ByteSource& source, const RawInfo& info,
                                               std::uint64_t dataOffset) {
    const std::uint64_t entrySize = info.headerSize == 12 ? 3 : 4;
    std::uint64_t count = info.colorsUsed;
    if (info.bitCount <= 8 && (count == 0 || info.headerSize == 12))
        count = std::uint64_t{1} << info.bitCount;
    const std::uint64_t start = source.Position();
    if (start + count * entrySize > source.Size())
        return Damaged("its palette is larger than the file");
    if (info.bitCount > 8) return std::vector<std::uint32_t>{};
    if (dataOffset < start + count * entrySize) count = (dataOffset - start) / entrySize;
    count = std::min<std::uint64_t>(count, std::uint64_t{1} << info.bitCount);
    if (count == 0) return Damaged("it has no palette");

    std::vector<std::uint8_t> bytes(count * entrySize);
    if (source.Read(bytes) != bytes.size()) return Damaged("the file ends inside its palette");
    std::vector<std::uint32_t> palette(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = &bytes[i * entrySize];
        palette[i] = engine::PackPixel(e[2], e[1], e[0]);
    }
    return palette;
}

}  // namespace

Result<BmpHeader> ReadBmpHeader(ByteSource& source, std::uint64_t maxPixels) {
    auto raw = ReadRawInfo(source);
    if (!raw) return raw.Failure();
    const RawInfo& info = raw.Value();
    if (auto ok = CheckGeometry(info, maxPixels); !ok) return ok.Failure();
    auto encoding = EncodingOf(info);
    if (!encoding) return encoding.Failure();

    BmpHeader header;
    header.width = static_cast<int>(info.width);
    header.height = static_cast<int>(info.height < 0 ? -info.height : info.height);
    header.topDown = info.height < 0;
    header.bitCount = static_cast<int>(info.bitCount);
    header.encoding = encoding.Value();
    if (header.topDown && header.encoding != Encoding::Rgb &&
        header.encoding != Encoding::BitFields) {
        return Damaged("a compressed bitmap cannot be stored top-down");
    }
    if (info.bitCount == 16 || info.bitCount == 32) {
        auto fields = ReadFields(source, info);
        if (!fields) return fields.Failure();
        header.fields = fields.Value();
    }
    const std::uint32_t offset = info.dataOffset;
    if (offset < source.Position()) return Damaged("its pixel data would start inside its header");
    if (offset >= source.Size()) return Damaged("the file ends before its pixel data");
    if (info.fileSizeField > source.Size())
        return Damaged("the file is shorter than its header says (truncated)");

    auto palette = ReadPalette(source, info, offset);
    if (!palette) return palette.Failure();
    header.palette = std::move(palette.Value());
    header.dataOffset = offset;
    header.dataSize = source.Size() - offset;
    if (info.imageSize > header.dataSize)
        return Damaged("its pixel data is shorter than its header says (truncated)");
    // The last row's padding may be missing; anything less is a truncated file.
    const bool rows = header.encoding == Encoding::Rgb || header.encoding == Encoding::BitFields;
    if (rows && (header.height - 1) * RowBytes(header) + UsedRowBytes(header) > header.dataSize) {
        return Damaged("its pixel data is shorter than the picture (truncated)");
    }
    return header;
}

}  // namespace tintwell::document
