#include <algorithm>
#include <array>
#include <vector>

#include "document/bmp/decode.h"
#include "engine/pixel.h"

namespace tintwell::document::detail {
namespace {

// Reads the compressed stream a chunk at a time, never past the end of the file.
class ChunkReader {
public:
    explicit ChunkReader(ByteSource& source) : m_source(source), m_chunk(64 * 1024) {}
    bool Next(std::uint8_t& byte) {
        if (m_pos == m_end) {
            m_end = m_source.Read(m_chunk);
            m_pos = 0;
            if (m_end == 0) return false;
        }
        byte = m_chunk[m_pos++];
        return true;
    }
    bool Skip(std::size_t n) {
        std::uint8_t ignored = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (!Next(ignored)) return false;
        }
        return true;
    }

private:
    ByteSource& m_source;
    std::vector<std::uint8_t> m_chunk;
    std::size_t m_pos = 0, m_end = 0;
};

class RleDecoder {
public:
    RleDecoder(ByteSource& source, const BmpHeader& h, engine::PixelBuffer& picture)
        : m_in(source), m_h(h), m_picture(picture) {}

    Status Run() {
        for (;;) {
            std::uint8_t count = 0, code = 0;
            if (!m_in.Next(count) || !m_in.Next(code)) {
                // A stream may omit its end marker once every row is done.
                if (m_y >= m_h.height) return Done{};
                return Damaged("its compressed data ends before the picture does (truncated)");
            }
            Status step = count > 0 ? Repeat(count, code) : Escape(code);
            if (!step) return step;
            if (m_finished) return Done{};
        }
    }

private:
    Status Repeat(int count, std::uint8_t first) {
        if (!Fits(count)) return Damaged("its compressed data runs past the picture");
        if (m_h.encoding == Encoding::Rle24) {
            std::uint8_t g = 0, r = 0;
            if (!m_in.Next(g) || !m_in.Next(r)) return Truncated();
            const std::uint32_t colour = engine::PackPixel(r, g, first);
            for (int i = 0; i < count; ++i) Put(colour);
            return Done{};
        }
        const bool nibbles = m_h.encoding == Encoding::Rle4;
        const std::uint32_t byte = first;
        const std::array<std::uint32_t, 2> indices{nibbles ? byte >> 4 : byte,
                                                   nibbles ? byte & 15 : byte};
        for (int i = 0; i < count; ++i) {
            if (indices[i % 2] >= m_h.palette.size()) return BadIndex();
            Put(m_h.palette[indices[i % 2]]);
        }
        return Done{};
    }

    Status Escape(std::uint8_t code) {
        switch (code) {
            case 0:
                return EndOfLine();
            case 1:
                m_finished = true;
                return Done{};
            case 2:
                return Delta();
            default:
                return Absolute(code);
        }
    }

    Status EndOfLine() {
        m_x = 0;
        if (++m_y > m_h.height) return Damaged("its compressed data runs past the picture");
        return Done{};
    }

    Status Delta() {
        std::uint8_t dx = 0, dy = 0;
        if (!m_in.Next(dx) || !m_in.Next(dy)) return Truncated();
        m_x += dx;
        m_y += dy;
        if (m_x > m_h.width || m_y > m_h.height)
            return Damaged("its compressed data runs past the picture");
        return Done{};
    }

    Status Absolute(int count) {
        if (!Fits(count)) return Damaged("its compressed data runs past the picture");
        std::size_t bytes = 0;
        if (m_h.encoding == Encoding::Rle24) {
            bytes = static_cast<std::size_t>(count) * 3;
            for (int i = 0; i < count; ++i) {
                std::uint8_t b = 0, g = 0, r = 0;
                if (!m_in.Next(b) || !m_in.Next(g) || !m_in.Next(r)) return Truncated();
                Put(engine::PackPixel(r, g, b));
            }
        } else {
            const bool nibbles = m_h.encoding == Encoding::Rle4;
            bytes =
                nibbles ? static_cast<std::size_t>(count + 1) / 2 : static_cast<std::size_t>(count);
            std::uint8_t byte = 0;
            for (int i = 0; i < count; ++i) {
                if ((!nibbles || i % 2 == 0) && !m_in.Next(byte)) return Truncated();
                const std::uint32_t index =
                    !nibbles ? byte : (i % 2 == 0 ? byte >> 4u : byte & 15u);
                if (index >= m_h.palette.size()) return BadIndex();
                Put(m_h.palette[index]);
            }
        }
        // Absolute runs are padded to a whole number of 16-bit words.
        if (bytes % 2 != 0 && !m_in.Skip(1)) return Truncated();
        return Done{};
    }

    bool Fits(int count) const { return m_y < m_h.height && m_x + count <= m_h.width; }
    void Put(std::uint32_t pixel) { m_picture.Row(m_h.height - 1 - m_y)[m_x++] = pixel; }
    static Status Truncated() {
        return Damaged("its compressed data ends in the middle of a run (truncated)");
    }
    static Status BadIndex() {
        return Damaged("a pixel's colour index lies past the end of its palette");
    }

    ChunkReader m_in;
    const BmpHeader& m_h;
    engine::PixelBuffer& m_picture;
    int m_x = 0, m_y = 0;
    bool m_finished = false;
};

}  // namespace

Status DecodeRle(ByteSource& source, const BmpHeader& h, engine::PixelBuffer& picture) {
    std::fill_n(picture.Data(), picture.PixelCount(), engine::kOpaque);  // skipped pixels: black
    if (!source.Seek(h.dataOffset)) return Fail(Problem::CantRead);
    return RleDecoder(source, h, picture).Run();
}

}  // namespace tintwell::document::detail
