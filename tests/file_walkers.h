#pragma once

// Reads the structure of TIFF and PNG files byte by byte, without libtiff or libpng, so that the
// tests can see what a file written by the program holds.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tintwell::tests {

// One TIFF directory entry: its type and count, and its value with numbers in host order.
struct TiffEntry {
    std::uint16_t type = 0;
    std::uint64_t count = 0;
    std::vector<double> numbers;  // integers and rationals, as values
    std::string text;             // ASCII, and UNDEFINED and BYTE data as bytes
    std::string raw;              // the value's bytes as the file has them
};
using TiffDirectory = std::map<std::uint16_t, TiffEntry>;

struct TiffFile {
    bool bigEndian = false, big = false;
    int directories = 0;  // in the main chain
    TiffDirectory main, exif, gps, interoperability;
    std::string thumbnail;  // the bytes the main or EXIF directory's tags 513 and 514 say
};

inline std::uint64_t TiffNumber(const std::vector<std::uint8_t>& b, std::size_t at, int size,
                                bool bigEndian) {
    std::uint64_t v = 0;
    for (int i = 0; i < size; ++i) {
        const std::uint64_t byte = at + i < b.size() ? b[at + i] : 0;
        v |= byte << (8 * (bigEndian ? size - 1 - i : i));
    }
    return v;
}

inline TiffDirectory WalkTiffDirectory(const std::vector<std::uint8_t>& b, std::uint64_t at,
                                       const TiffFile& f, std::uint64_t* next = nullptr) {
    static const std::map<int, int> kSize = {{1, 1},  {2, 1},  {3, 2},  {4, 4},  {5, 8},  {6, 1},
                                             {7, 1},  {8, 2},  {9, 4},  {10, 8}, {11, 4}, {12, 8},
                                             {13, 4}, {16, 8}, {17, 8}, {18, 8}};
    const int countSize = f.big ? 8 : 2, fieldSize = f.big ? 8 : 4, entrySize = f.big ? 20 : 12;
    TiffDirectory d;
    const std::uint64_t n = TiffNumber(b, at, countSize, f.bigEndian);
    for (std::uint64_t i = 0; i < n && at + countSize + (i + 1) * entrySize <= b.size(); ++i) {
        const std::size_t e = at + countSize + i * entrySize;
        TiffEntry entry;
        const auto tag = static_cast<std::uint16_t>(TiffNumber(b, e, 2, f.bigEndian));
        entry.type = static_cast<std::uint16_t>(TiffNumber(b, e + 2, 2, f.bigEndian));
        entry.count = TiffNumber(b, e + 4, fieldSize, f.bigEndian);
        const int size = kSize.count(entry.type) ? kSize.at(entry.type) : 1;
        const std::uint64_t bytes = entry.count * size;
        std::size_t value = e + 4 + fieldSize;
        if (bytes > static_cast<std::uint64_t>(fieldSize))
            value = TiffNumber(b, value, fieldSize, f.bigEndian);
        for (std::uint64_t k = 0; k < bytes && value + k < b.size() && k < (1u << 24); ++k)
            entry.raw += static_cast<char>(b[value + k]);
        const bool isText =
            entry.type == 2 || entry.type == 7 || entry.type == 1 || entry.type == 6;
        for (std::uint64_t k = 0; k < entry.count && k < (1u << 20); ++k) {
            const std::size_t p = value + k * size;
            if (isText) {
                if (p < b.size()) entry.text += static_cast<char>(b[p]);
            } else if (entry.type == 5 || entry.type == 10) {
                const double num = static_cast<double>(TiffNumber(b, p, 4, f.bigEndian));
                const double den = static_cast<double>(TiffNumber(b, p + 4, 4, f.bigEndian));
                entry.numbers.push_back(den == 0 ? 0 : num / den);
            } else {
                entry.numbers.push_back(static_cast<double>(TiffNumber(b, p, size, f.bigEndian)));
            }
        }
        d[tag] = entry;
    }
    if (next != nullptr)
        *next = TiffNumber(b, at + countSize + n * entrySize, fieldSize, f.bigEndian);
    return d;
}

inline TiffFile WalkTiff(const std::vector<std::uint8_t>& b) {
    TiffFile f;
    if (b.size() < 8) return f;
    f.bigEndian = b[0] == 'M';
    f.big = TiffNumber(b, 2, 2, f.bigEndian) == 43;
    std::uint64_t at = f.big ? TiffNumber(b, 8, 8, f.bigEndian) : TiffNumber(b, 4, 4, f.bigEndian);
    for (std::uint64_t next = at; next != 0 && f.directories < 16; ++f.directories) {
        const TiffDirectory d = WalkTiffDirectory(b, next, f, &next);
        if (f.directories == 0) f.main = d;
    }
    const auto follow = [&](const TiffDirectory& from, int tag, TiffDirectory& into) {
        if (from.count(tag) && !from.at(tag).numbers.empty())
            into = WalkTiffDirectory(b, static_cast<std::uint64_t>(from.at(tag).numbers[0]), f);
    };
    follow(f.main, 34665, f.exif);
    follow(f.main, 34853, f.gps);
    follow(f.exif, 40965, f.interoperability);
    for (const TiffDirectory* d : {&f.main, &f.exif}) {
        if (d->count(513) && d->count(514) && !d->at(513).numbers.empty()) {
            const auto at = static_cast<std::size_t>(d->at(513).numbers[0]);
            const auto n = static_cast<std::size_t>(d->at(514).numbers[0]);
            if (at + n <= b.size()) f.thumbnail.assign(b.begin() + at, b.begin() + at + n);
        }
    }
    return f;
}

// The chunks of a PNG file in order: their types and their data.
inline std::vector<std::pair<std::string, std::string>> WalkPng(
    const std::vector<std::uint8_t>& b) {
    std::vector<std::pair<std::string, std::string>> chunks;
    for (std::size_t at = 8; at + 12 <= b.size();) {
        const std::size_t length = TiffNumber(b, at, 4, true);
        if (at + 12 + length > b.size()) break;
        chunks.emplace_back(std::string(b.begin() + at + 4, b.begin() + at + 8),
                            std::string(b.begin() + at + 8, b.begin() + at + 8 + length));
        at += 12 + length;
    }
    return chunks;
}

}  // namespace tintwell::tests
