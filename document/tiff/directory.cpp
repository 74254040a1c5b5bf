#include "document/tiff/directory.h"

#include <algorithm>
#include <string>

namespace tintwell::document::tiff {
namespace {

constexpr std::uint16_t kLong = 4, kIfd = 13, kLong8 = 16, kIfd8 = 18;
// A directory of more entries than this is damage, not metadata.
constexpr std::uint64_t kMostEntries = 4096;
// Nor is a tag of more bytes than this (a layered editor's data comes nearest).
constexpr std::uint64_t kMostValueBytes = std::uint64_t{256} << 20;

std::uint64_t Get(std::span<const std::uint8_t> bytes, int size, bool bigEndian) {
    std::uint64_t v = 0;
    for (int i = 0; i < size; ++i)
        v |= std::uint64_t{bytes[static_cast<std::size_t>(i)]}
             << (8 * (bigEndian ? size - 1 - i : i));
    return v;
}

void Put(std::vector<std::uint8_t>& out, std::size_t at, std::uint64_t v, int size,
         bool bigEndian) {
    for (int i = 0; i < size; ++i)
        out[at + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(v >> (8 * (bigEndian ? size - 1 - i : i)));
}

Result<std::vector<std::uint8_t>> ReadExactly(const Bytes& file, std::uint64_t at,
                                              std::uint64_t length) {
    if (at > file.size || length > file.size - at) return Fail(Problem::CantRead);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    if (file.read(at, bytes) != bytes.size()) return Fail(Problem::CantRead);
    return bytes;
}

Error PastTheEnd(std::uint16_t tag) {
    return Damaged("its tag " + std::to_string(tag) + " points past the end of the file");
}

// Lays directories out one after another, each followed by its values, then by what it points
// to; offsets are those of the file, counted from `at`.
class Encoder {
public:
    Encoder(std::uint64_t at, const Variant& v) : m_at(at), m_v(v) {}

    std::uint64_t Place(const Node& node) {
        Align();
        const std::size_t start = m_out.size();
        std::vector<Entry> entries = node.entries;
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
        m_out.resize(start + static_cast<std::size_t>(m_v.CountSize()) +
                     entries.size() * static_cast<std::size_t>(m_v.EntrySize()) +
                     static_cast<std::size_t>(m_v.FieldSize()));
        Put(m_out, start, entries.size(), m_v.CountSize(), m_v.bigEndian);
        std::vector<std::uint64_t> values(entries.size(), 0);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].value.size() > static_cast<std::size_t>(m_v.FieldSize()))
                values[i] = Append(entries[i].value);
        }
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const std::uint16_t tag = entries[i].tag;
            if (const auto d = node.directories.find(tag); d != node.directories.end()) {
                values[i] = Place(d->second);
                PointerType(entries[i], values[i]);
            } else if (const auto b = node.blocks.find(tag); b != node.blocks.end()) {
                values[i] = Append(b->second);
                PointerType(entries[i], values[i]);
            }
        }
        for (std::size_t i = 0; i < entries.size(); ++i)
            WriteEntry(start, i, entries[i], values[i]);
        return m_at + start;
    }

    std::vector<std::uint8_t> Take() { return std::move(m_out); }

private:
    void Align() {
        if ((m_at + m_out.size()) % 2 != 0) m_out.push_back(0);
    }

    std::uint64_t Append(const std::vector<std::uint8_t>& bytes) {
        Align();
        const std::uint64_t offset = m_at + m_out.size();
        m_out.insert(m_out.end(), bytes.begin(), bytes.end());
        return offset;
    }

    // A pointer is one offset, 32 bits wide where it fits (classic TIFF always).
    void PointerType(Entry& e, std::uint64_t offset) const {
        const bool wide = m_v.big && offset > 0xFFFFFFFFu;
        if (e.type != kLong && e.type != kIfd && e.type != kLong8 && e.type != kIfd8)
            e.type = kLong;
        if (wide && (e.type == kLong || e.type == kIfd)) e.type = e.type == kIfd ? kIfd8 : kLong8;
        if (!m_v.big && (e.type == kLong8 || e.type == kIfd8))
            e.type = e.type == kIfd8 ? kIfd : kLong;
        e.count = 1;
        e.value.assign(static_cast<std::size_t>(TypeSize(e.type)), 0);
        Put(e.value, 0, offset, TypeSize(e.type), m_v.bigEndian);
    }

    void WriteEntry(std::size_t start, std::size_t i, const Entry& e, std::uint64_t offset) {
        const std::size_t at = start + static_cast<std::size_t>(m_v.CountSize()) +
                               i * static_cast<std::size_t>(m_v.EntrySize());
        Put(m_out, at, e.tag, 2, m_v.bigEndian);
        Put(m_out, at + 2, e.type, 2, m_v.bigEndian);
        Put(m_out, at + 4, e.count, m_v.FieldSize(), m_v.bigEndian);
        const std::size_t field = at + 4 + static_cast<std::size_t>(m_v.FieldSize());
        if (e.value.size() > static_cast<std::size_t>(m_v.FieldSize())) {
            Put(m_out, field, offset, m_v.FieldSize(), m_v.bigEndian);
        } else {
            std::copy(e.value.begin(), e.value.end(),
                      m_out.begin() + static_cast<std::ptrdiff_t>(field));
        }
    }

    std::uint64_t m_at;
    Variant m_v;
    std::vector<std::uint8_t> m_out;
};

}  // namespace

int TypeSize(std::uint16_t type) {
    switch (type) {
        case 1:
        case 2:
        case 6:
        case 7:  // BYTE, ASCII, SBYTE, UNDEFINED
            return 1;
        case 3:
        case 8:  // SHORT, SSHORT
            return 2;
        case 4:
        case 9:
        case 11:
        case 13:  // LONG, SLONG, FLOAT, IFD
            return 4;
        case 5:
        case 10:
        case 12:
        case 16:
        case 17:
        case 18:  // RATIONALs, DOUBLE, LONG8s, IFD8
            return 8;
        default:
            return 0;
    }
}

std::optional<std::uint64_t> Number(const Entry& e, std::uint64_t index, const Variant& v) {
    const int size = TypeSize(e.type);
    const bool integer = e.type == 1 || e.type == 3 || e.type == kLong || e.type == kIfd ||
                         e.type == kLong8 || e.type == kIfd8;
    if (!integer || index >= e.count) return std::nullopt;
    return Get(std::span(e.value).subspan(static_cast<std::size_t>(index) * size), size,
               v.bigEndian);
}

Result<std::uint64_t> ReadHeader(const Bytes& file, Variant& v) {
    auto head = ReadExactly(file, 0, std::min<std::uint64_t>(16, file.size));
    if (!head || head.Value().size() < 8) return Damaged("it is too short to be a TIFF file");
    const auto& h = head.Value();
    v.bigEndian = h[0] == 'M';
    v.big = Get(std::span(h).subspan(2), 2, v.bigEndian) == 43;
    if (v.big && h.size() < 16) return Damaged("it is too short to be a TIFF file");
    return Get(std::span(h).subspan(v.big ? 8 : 4), v.FieldSize(), v.bigEndian);
}

Result<std::vector<Entry>> ReadEntries(const Bytes& file, std::uint64_t at, const Variant& v,
                                       std::vector<std::uint64_t>* valuesAt) {
    auto countBytes = ReadExactly(file, at, static_cast<std::uint64_t>(v.CountSize()));
    if (!countBytes) return Damaged("a directory of it lies past the end of the file");
    const std::uint64_t n = Get(countBytes.Value(), v.CountSize(), v.bigEndian);
    if (n > kMostEntries) return Damaged("a directory of it claims " + std::to_string(n) + " tags");
    auto table = ReadExactly(file, at + static_cast<std::uint64_t>(v.CountSize()),
                             n * static_cast<std::uint64_t>(v.EntrySize()));
    if (!table) return Damaged("a directory of it lies past the end of the file");
    std::vector<Entry> entries;
    for (std::uint64_t i = 0; i < n; ++i) {
        const auto raw = std::span<const std::uint8_t>(table.Value())
                             .subspan(static_cast<std::size_t>(i) * v.EntrySize());
        Entry e;
        e.tag = static_cast<std::uint16_t>(Get(raw, 2, v.bigEndian));
        e.type = static_cast<std::uint16_t>(Get(raw.subspan(2), 2, v.bigEndian));
        e.count = Get(raw.subspan(4), v.FieldSize(), v.bigEndian);
        const int size = TypeSize(e.type);
        if (size == 0)
            return Unsupported("its tag " + std::to_string(e.tag) + " is of a type (" +
                               std::to_string(e.type) + ") that TIFF does not define");
        if (e.count > file.size) return PastTheEnd(e.tag);
        const std::uint64_t bytes = e.count * static_cast<std::uint64_t>(size);
        const auto field = raw.subspan(4 + static_cast<std::size_t>(v.FieldSize()),
                                       static_cast<std::size_t>(v.FieldSize()));
        if (bytes > kMostValueBytes)
            return Unsupported("its tag " + std::to_string(e.tag) + " holds more than 256 MB");
        std::uint64_t where = at + static_cast<std::uint64_t>(v.CountSize()) +
                              i * static_cast<std::uint64_t>(v.EntrySize()) + 4 +
                              static_cast<std::uint64_t>(v.FieldSize());
        if (bytes <= static_cast<std::uint64_t>(v.FieldSize())) {
            e.value.assign(field.begin(), field.begin() + static_cast<std::ptrdiff_t>(bytes));
        } else {
            where = Get(field, v.FieldSize(), v.bigEndian);
            auto value = ReadExactly(file, where, bytes);
            if (!value) return PastTheEnd(e.tag);
            e.value = std::move(value.Value());
        }
        if (valuesAt != nullptr) valuesAt->push_back(where);
        entries.push_back(std::move(e));
    }
    return entries;
}

std::vector<std::uint8_t> Encode(const Node& directory, std::uint64_t at, const Variant& v) {
    Encoder encoder(at, v);
    encoder.Place(directory);
    return encoder.Take();
}

}  // namespace tintwell::document::tiff
