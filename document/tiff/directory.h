#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "document/result.h"

namespace tintwell::document::tiff {

// A TIFF's byte order and variant: what the layout of its directories depends on.
struct Variant {
    bool bigEndian = false;
    bool big = false;  // BigTIFF

    int CountSize() const { return big ? 8 : 2; }
    int FieldSize() const { return big ? 8 : 4; }
    int EntrySize() const { return big ? 20 : 12; }
    int HeaderSize() const { return big ? 16 : 8; }
};

// One directory entry as it lies in the file: its value bytes in the file's byte order, so that
// it is written back exactly (libtiff would give rationals back as approximations).
struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint64_t count = 0;
    std::vector<std::uint8_t> value;
    bool operator==(const Entry&) const = default;
};

// A directory and what its pointers lead to: other directories (EXIF, GPS, interoperability)
// and blocks of bytes (the EXIF thumbnail). Entries are in tag order; the values of pointer
// entries are worked out when the directory is written.
struct Node {
    std::vector<Entry> entries;
    std::map<std::uint16_t, Node> directories;
    std::map<std::uint16_t, std::vector<std::uint8_t>> blocks;
    bool operator==(const Node&) const = default;
};

// Bytes of one value of a type; 0 for a type TIFF does not define.
int TypeSize(std::uint16_t type);

// The value of an integer entry at `index` (BYTE, SHORT, LONG, LONG8 and their IFD forms).
std::optional<std::uint64_t> Number(const Entry& entry, std::uint64_t index, const Variant& v);

using ReadAtFn = std::function<std::size_t(std::uint64_t, std::span<std::uint8_t>)>;

// Random-access bytes of a known size: a file read, or the new file of a save.
struct Bytes {
    ReadAtFn read;
    std::uint64_t size = 0;
};

// The variant and the first directory's offset, from the header.
Result<std::uint64_t> ReadHeader(const Bytes& file, Variant& variant);

// The entries of the directory at `at`, each value read whole from where it lies; a value that
// lies past the end of the file makes the file damaged. `valuesAt`, where asked for, gets where
// each value lies (its entry's own field where it fits there).
Result<std::vector<Entry>> ReadEntries(const Bytes& file, std::uint64_t at, const Variant& v,
                                       std::vector<std::uint64_t>* valuesAt = nullptr);

// The directory and every directory and block its pointers lead to, laid out from `at` on (an
// even offset): the bytes to write there, the directory itself first.
std::vector<std::uint8_t> Encode(const Node& directory, std::uint64_t at, const Variant& v);

}  // namespace tintwell::document::tiff
