#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "document/bmp/decode.h"
#include "document/bmp/row_codec.h"
#include "engine/bands.h"
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

// Decodes one stored row into a picture row.
class RowDecoder {
public:
    explicit RowDecoder(const BmpHeader& h) : m_h(h) {
        if (h.bitCount == 16 || h.bitCount == 32) {
            m_fields.emplace(FieldPixels{
                {ChannelScale(h.fields[0]), ChannelScale(h.fields[1]), ChannelScale(h.fields[2])}});
        }
    }
    bool operator()(const std::uint8_t* in, std::uint32_t* out) const {
        const auto width = static_cast<std::size_t>(m_h.width);
        switch (m_h.bitCount) {
            case 24:
                Expand24(in, out, width);
                return true;
            case 16:
                Decode16(in, out, m_h.width, *m_fields);
                return true;
            case 32:
                if (IsPlain32(m_h)) {
                    Opaque32(in, out, width);
                } else {
                    Decode32(in, out, m_h.width, *m_fields);
                }
                return true;
            default:
                return DecodeIndexed(in, out, m_h.width, m_h.bitCount, m_h.palette);
        }
    }

private:
    const BmpHeader& m_h;
    std::optional<FieldPixels> m_fields;
};

// Stored rows [first, last), read a megabyte or so at a time; the file's last row may lack its
// padding.
Status DecodeBand(const ByteSource& source, const BmpHeader& h, const RowDecoder& decode,
                  engine::PixelBuffer& picture, int first, int last) {
    const std::uint64_t rowBytes = RowBytes(h);
    const int perChunk = static_cast<int>(std::max<std::uint64_t>(1, (1u << 20) / rowBytes));
    std::vector<std::uint8_t> chunk(rowBytes * static_cast<std::uint64_t>(perChunk));
    for (int i = first; i < last; i += perChunk) {
        const int rows = std::min(perChunk, last - i);
        std::uint64_t want = rowBytes * static_cast<std::uint64_t>(rows);
        if (i + rows == h.height) want -= rowBytes - UsedRowBytes(h);
        const std::uint64_t at = h.dataOffset + rowBytes * static_cast<std::uint64_t>(i);
        if (source.ReadAt(at, std::span(chunk).first(want)) != want) return Fail(Problem::CantRead);
        for (int r = 0; r < rows; ++r) {
            const int y = h.topDown ? i + r : h.height - 1 - (i + r);
            if (!decode(chunk.data() + rowBytes * static_cast<std::uint64_t>(r), picture.Row(y)))
                return Damaged("a pixel's colour index lies past the end of its palette");
        }
    }
    return Done{};
}

}  // namespace

// Big pictures are read in bands, one per core: reading, converting and the first touch of the
// picture's memory then share the cores.
Status DecodeRows(ByteSource& source, const BmpHeader& h, engine::PixelBuffer& picture) {
    const RowDecoder decode(h);
    const std::uint64_t pixels = static_cast<std::uint64_t>(h.width) * h.height;
    const int bands = engine::BandCount(pixels, std::uint64_t{1} << 20, h.height, 4);
    std::vector<std::optional<Status>> done(bands);
    engine::InBands(0, h.height, bands, [&](int band, int top, int bottom) {
        done[band] = DecodeBand(source, h, decode, picture, top, bottom);
    });
    // The first failure in the file's order, as a reader going front to back would meet it.
    for (const auto& status : done) {
        if (!*status) return *status;
    }
    return Done{};
}

}  // namespace tintwell::document::detail
