#pragma once

// Writes TIFF files byte by byte, without libtiff, so that the tests can make files with exactly
// the metadata they need, damaged ones among them: directories with any tags and values, the
// EXIF, GPS and interoperability directories they point to, and an EXIF thumbnail.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tintwell::tests {

struct RawTag {
    std::uint16_t tag = 0, type = 0;
    std::uint32_t count = 0;
    std::vector<std::uint32_t> numbers;  // for BYTE, SHORT, LONG and RATIONAL (two a value)
    std::string bytes;                   // for ASCII and UNDEFINED
    std::optional<std::uint32_t> offset = std::nullopt;  // where the value is said to be
};

inline RawTag Shorts(std::uint16_t tag, std::vector<std::uint32_t> v) {
    const auto n = static_cast<std::uint32_t>(v.size());
    return {tag, 3, n, std::move(v), {}};
}
inline RawTag Longs(std::uint16_t tag, std::vector<std::uint32_t> v) {
    const auto n = static_cast<std::uint32_t>(v.size());
    return {tag, 4, n, std::move(v), {}};
}
inline RawTag Rationals(std::uint16_t tag, std::vector<std::uint32_t> pairs) {
    const auto n = static_cast<std::uint32_t>(pairs.size() / 2);
    return {tag, 5, n, std::move(pairs), {}};
}
inline RawTag Text(std::uint16_t tag, const std::string& text) {
    return {tag, 2, static_cast<std::uint32_t>(text.size() + 1), {}, text + '\0'};
}
inline RawTag Undefined(std::uint16_t tag, const std::string& bytes) {
    return {tag, 7, static_cast<std::uint32_t>(bytes.size()), {}, bytes};
}

struct RawIfd {
    std::vector<RawTag> tags;  // in tag order, the pointers below among them as placeholders
    std::map<std::uint16_t, RawIfd> directories{};  // 34665, 34853, 40965
    std::map<std::uint16_t, std::string> blocks{};  // 513: the thumbnail's bytes
};

// A classic TIFF of 16-bit RGB, `width` x `height`, one row a strip, the pixels' samples
// 1000·y + 101·x + s + `offset` (modulo 65536: an odd step, so that means of pairs end in halves);
// the main directory holds the picture's tags (of which only `strips` offsets and byte counts) and
// then `main`'s.
class TiffBuilder {
public:
    explicit TiffBuilder(bool bigEndian, std::uint32_t offset = 0)
        : m_big(bigEndian), m_offset(offset) {}

    std::vector<std::uint8_t> Build(int width, int height, const RawIfd& metadata,
                                    int strips = -1) {
        m_out.assign(8, 0);
        m_out[0] = m_out[1] = m_big ? 'M' : 'I';
        Put(2, 42, 2);
        std::vector<std::uint32_t> offsets, counts;
        for (int y = 0; y < height; ++y) {
            offsets.push_back(static_cast<std::uint32_t>(m_out.size()));
            counts.push_back(static_cast<std::uint32_t>(width * 6));
            for (int x = 0; x < width * 3; ++x)
                Append((1000 * y + 101 * (x / 3) + x % 3 + m_offset) % 65536, 2);
        }
        if (strips >= 0) offsets.resize(static_cast<std::size_t>(strips));
        RawIfd main = metadata;
        const auto w = static_cast<std::uint32_t>(width), h = static_cast<std::uint32_t>(height);
        for (RawTag t : {Longs(256, {w}), Longs(257, {h}), Shorts(258, {16, 16, 16}),
                         Shorts(259, {1}), Shorts(262, {2}), Longs(273, offsets), Shorts(277, {3}),
                         Longs(278, {1}), Longs(279, counts), Shorts(284, {1})})
            main.tags.push_back(std::move(t));
        Put(4, Place(main), 4);
        return m_out;
    }

private:
    void Put(std::size_t at, std::uint64_t v, int size) {
        for (int i = 0; i < size; ++i)
            m_out[at + i] = static_cast<std::uint8_t>(v >> (8 * (m_big ? size - 1 - i : i)));
    }
    void Append(std::uint64_t v, int size) {
        m_out.resize(m_out.size() + size);
        Put(m_out.size() - size, v, size);
    }
    void Align() {
        if (m_out.size() % 2) m_out.push_back(0);
    }
    std::vector<std::uint8_t> ValueOf(const RawTag& t) {
        const std::size_t before = m_out.size();
        if (!t.bytes.empty()) {
            m_out.insert(m_out.end(), t.bytes.begin(), t.bytes.end());
        } else {
            const int size = t.type == 3 ? 2 : t.type == 1 ? 1 : 4;
            for (std::uint32_t n : t.numbers) Append(n, size);
        }
        std::vector<std::uint8_t> value(m_out.begin() + before, m_out.end());
        m_out.resize(before);
        return value;
    }
    std::uint32_t Place(RawIfd ifd) {
        std::sort(ifd.tags.begin(), ifd.tags.end(),
                  [](const RawTag& a, const RawTag& b) { return a.tag < b.tag; });
        for (RawTag& t : ifd.tags) {  // what pointers lead to goes first
            if (ifd.directories.count(t.tag)) t.numbers = {Place(ifd.directories.at(t.tag))};
            if (ifd.blocks.count(t.tag)) {
                Align();
                t.numbers = {static_cast<std::uint32_t>(m_out.size())};
                m_out.insert(m_out.end(), ifd.blocks.at(t.tag).begin(), ifd.blocks.at(t.tag).end());
            }
        }
        std::vector<std::vector<std::uint8_t>> values;
        std::vector<std::uint32_t> at;
        for (const RawTag& t : ifd.tags) {
            values.push_back(ValueOf(t));
            Align();
            at.push_back(static_cast<std::uint32_t>(m_out.size()));
            if (values.back().size() > 4)
                m_out.insert(m_out.end(), values.back().begin(), values.back().end());
        }
        Align();
        const auto start = static_cast<std::uint32_t>(m_out.size());
        Append(ifd.tags.size(), 2);
        for (std::size_t i = 0; i < ifd.tags.size(); ++i) {
            const RawTag& t = ifd.tags[i];
            Append(t.tag, 2);
            Append(t.type, 2);
            Append(t.count, 4);
            std::vector<std::uint8_t> field = values[i];
            if (field.size() > 4 || t.offset) {
                field.assign(4, 0);
                m_out.insert(m_out.end(), field.begin(), field.end());
                Put(m_out.size() - 4, t.offset.value_or(at[i]), 4);
            } else {
                field.resize(4, 0);
                m_out.insert(m_out.end(), field.begin(), field.end());
            }
        }
        Append(0, 4);
        return start;
    }

    bool m_big;
    std::uint32_t m_offset;
    std::vector<std::uint8_t> m_out;
};

}  // namespace tintwell::tests
