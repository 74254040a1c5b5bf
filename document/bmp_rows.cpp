#include <array>
#include <optional>
#include <vector>

#include "document/bmp_decode.h"
#include "document/row_codec.h"
#include "engine/pixel.h"

namespace tintwell::document::detail {
namespace {

// Scales one bit field to 0..255 by rounding, so that a full field of any width gives 255.
class ChannelScale {
public:
    explicit ChannelScale(const BitField& field) : m_field(field) {
        if (field.bits <= 16) {
            m_table.resize(std::size_t{1} << field.bits);
            for (std::uint32_t v = 0; v < m_table.size(); ++v) m_table[v] = Scale(v);
        }
    }
    std::uint32_t operator()(std::uint32_t pixel) const {
        const std::uint32_t v = (pixel & m_field.mask) >> m_field.shift;
        return m_table.empty() ? Scale(v) : m_table[v];
    }

private:
    std::uint8_t Scale(std::uint32_t v) const {
        const std::uint64_t max = (std::uint64_t{1} << m_field.bits) - 1;
        return static_cast<std::uint8_t>((v * std::uint64_t{510} + max) / (2 * max));
    }
    BitField m_field;
    std::vector<std::uint8_t> m_table;
};

struct FieldPixels {
    std::array<ChannelScale, 3> scale;
    std::uint32_t operator()(std::uint32_t v) const {
        return engine::PackPixel(scale[0](v), scale[1](v), scale[2](v));
    }
};

// Palette indices: refuses an index past the palette's end rather than guessing a colour.
bool DecodeIndexed(const std::uint8_t* in, std::uint32_t* out, int width, int bits,
                   const std::vector<std::uint32_t>& palette) {
    const int perByte = 8 / bits;
    const std::uint32_t mask = (1u << bits) - 1;
    for (int x = 0; x < width; ++x) {
        const int shift = 8 - bits * (x % perByte + 1);
        const std::uint32_t index = (in[x / perByte] >> shift) & mask;
        if (index >= palette.size()) return false;
        out[x] = palette[index];
    }
    return true;
}

void Decode16(const std::uint8_t* in, std::uint32_t* out, int width, const FieldPixels& fields) {
    for (int x = 0; x < width; ++x, in += 2) out[x] = fields(in[0] | (in[1] << 8));
}

void Decode32(const std::uint8_t* in, std::uint32_t* out, int width, const FieldPixels& fields) {
    for (int x = 0; x < width; ++x, in += 4) {
        out[x] = fields(in[0] | (in[1] << 8) | (in[2] << 16) | (std::uint32_t{in[3]} << 24));
    }
}

bool IsPlain32(const BmpHeader& h) {
    return h.fields[0].mask == 0xFF0000 && h.fields[1].mask == 0xFF00 && h.fields[2].mask == 0xFF;
}

}  // namespace

Status DecodeRows(ByteSource& source, const BmpHeader& h, engine::PixelBuffer& picture) {
    const std::uint64_t rowBytes = RowBytes(h);
    const std::uint64_t usedBytes = UsedRowBytes(h);
    if (!source.Seek(h.dataOffset)) return Fail("the file cannot be read");
    std::optional<FieldPixels> fields;
    if (h.bitCount == 16 || h.bitCount == 32) {
        fields.emplace(FieldPixels{
            {ChannelScale(h.fields[0]), ChannelScale(h.fields[1]), ChannelScale(h.fields[2])}});
    }
    std::vector<std::uint8_t> row(rowBytes);
    for (int i = 0; i < h.height; ++i) {
        const std::size_t want = i + 1 == h.height ? usedBytes : rowBytes;
        if (source.Read(std::span(row).first(want)) != want)
            return Fail("the file could not be read to its end");
        std::uint32_t* out = picture.Row(h.topDown ? i : h.height - 1 - i);
        switch (h.bitCount) {
            case 24:
                Expand24(row.data(), out, static_cast<std::size_t>(h.width));
                break;
            case 16:
                Decode16(row.data(), out, h.width, *fields);
                break;
            case 32:
                if (IsPlain32(h)) {
                    Opaque32(row.data(), out, static_cast<std::size_t>(h.width));
                } else {
                    Decode32(row.data(), out, h.width, *fields);
                }
                break;
            default:
                if (!DecodeIndexed(row.data(), out, h.width, h.bitCount, h.palette)) {
                    return Fail("a pixel's colour index lies past the end of its palette");
                }
        }
    }
    return Done{};
}

}  // namespace tintwell::document::detail
