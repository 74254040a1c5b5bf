#include "document/tiff/metadata.h"

#include <algorithm>
#include <array>
#include <string>

namespace tintwell::document::tiff {
namespace {

constexpr std::uint16_t kExif = 34665, kGps = 34853, kInteroperability = 40965;
constexpr std::uint16_t kThumbnail = 513, kThumbnailLength = 514;

// What the picture's own fields say, which libtiff writes from the picture.
bool DescribesPixels(std::uint16_t tag) {
    static constexpr std::array<std::uint16_t, 20> kTags = {256, 257, 258, 259, 262,   266,  273,
                                                            277, 278, 279, 284, 317,   322,  323,
                                                            324, 325, 338, 339, 32995, 32996};
    return std::find(kTags.begin(), kTags.end(), tag) != kTags.end() || tag == 32997 ||
           tag == 32998;
}

// The smallest and largest sample values: the correction moves them.
bool ChangedByTheCorrection(std::uint16_t tag) {
    return tag == 280 || tag == 281 || tag == 340 || tag == 341;
}

const Entry* Find(const std::vector<Entry>& entries, std::uint16_t tag) {
    const auto at = std::find_if(entries.begin(), entries.end(),
                                 [tag](const Entry& e) { return e.tag == tag; });
    return at != entries.end() ? &*at : nullptr;
}

std::uint64_t NumberOr(const std::vector<Entry>& entries, std::uint16_t tag, const Variant& v,
                       std::uint64_t otherwise) {
    const Entry* e = Find(entries, tag);
    return e != nullptr ? Number(*e, 0, v).value_or(otherwise) : otherwise;
}

// How many strips or tiles the directory's own fields call for.
std::uint64_t BlocksCalledFor(const std::vector<Entry>& entries, const Variant& v, bool tiled) {
    const auto up = [](std::uint64_t n, std::uint64_t d) { return d == 0 ? 0 : (n + d - 1) / d; };
    const std::uint64_t width = NumberOr(entries, 256, v, 0), height = NumberOr(entries, 257, v, 0);
    const std::uint64_t planes =
        NumberOr(entries, 284, v, 1) == 2 ? NumberOr(entries, 277, v, 1) : 1;
    if (tiled)
        return planes * up(width, NumberOr(entries, 322, v, 0)) *
               up(height, NumberOr(entries, 323, v, 0));
    return planes * up(height, std::min(NumberOr(entries, 278, v, 0xFFFFFFFF), height));
}

// Every strip or tile the picture needs has an offset and a byte count, and lies in the file:
// libtiff would read a missing one from the file's start.
Status CheckBlocks(const Bytes& file, const std::vector<Entry>& entries, const Variant& v,
                   bool tiled) {
    const char* what = tiled ? "tile" : "strip";
    const std::uint64_t blocks = BlocksCalledFor(entries, v, tiled);
    const Entry* offsets = Find(entries, tiled ? 324 : 273);
    const Entry* counts = Find(entries, tiled ? 325 : 279);
    if (offsets == nullptr || counts == nullptr || offsets->count != blocks ||
        counts->count != blocks)
        return Damaged(std::string("its ") + what +
                       " tables do not cover the picture: " + std::to_string(blocks) + " " + what +
                       "s, " + std::to_string(offsets ? offsets->count : 0) + " offsets and " +
                       std::to_string(counts ? counts->count : 0) + " byte counts");
    for (std::uint64_t i = 0; i < blocks; ++i) {
        const auto at = Number(*offsets, i, v), bytes = Number(*counts, i, v);
        if (!at || !bytes || *at < static_cast<std::uint64_t>(v.HeaderSize()) || *bytes == 0 ||
            *at > file.size || *bytes > file.size - *at)
            return Damaged(std::string("its ") + what + " " + std::to_string(i) +
                           " lies outside the file");
    }
    return Done{};
}

Result<std::vector<std::uint8_t>> ReadBlock(const Bytes& file, const std::vector<Entry>& entries,
                                            const Entry& pointer, const Variant& v) {
    const Entry* length = Find(entries, kThumbnailLength);
    const auto at = Number(pointer, 0, v);
    const auto size = length ? Number(*length, 0, v) : std::nullopt;
    if (!at || !size || *at > file.size || *size > file.size - *at)
        return Damaged("its EXIF thumbnail lies outside the file");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(*size));
    if (file.read(*at, bytes) != bytes.size()) return Fail(Problem::CantRead);
    return bytes;
}

// A directory and what it points to; the main one less the tags written from the picture.
Result<Node> NodeOf(const Bytes& file, const Variant& v, const std::vector<Entry>& entries,
                    int depth) {
    Node node;
    for (const Entry& e : entries) {
        if (depth == 0 && (DescribesPixels(e.tag) || ChangedByTheCorrection(e.tag))) continue;
        if (e.tag == kExif || e.tag == kGps || e.tag == kInteroperability) {
            const auto offset = Number(e, 0, v);
            if (!offset || depth >= 2) return Damaged("its directories point to one another");
            auto childEntries = ReadEntries(file, *offset, v);
            if (!childEntries) return childEntries.Failure();
            auto child = NodeOf(file, v, childEntries.Value(), depth + 1);
            if (!child) return child.Failure();
            node.directories[e.tag] = std::move(child.Value());
        } else if (e.tag == kThumbnail) {
            auto block = ReadBlock(file, entries, e, v);
            if (!block) return block.Failure();
            node.blocks[e.tag] = std::move(block.Value());
        } else if (e.type == 13 || e.type == 18) {
            return Unsupported("its tag " + std::to_string(e.tag) +
                               " points to a directory this program can't carry over");
        }
        node.entries.push_back(e);
    }
    return node;
}

}  // namespace

Result<Metadata> ReadMetadata(const Bytes& file, bool tiled) {
    Metadata m;
    auto first = ReadHeader(file, m.variant);
    if (!first) return first.Failure();
    auto entries = ReadEntries(file, first.Value(), m.variant);
    if (!entries) return entries.Failure();
    if (auto ok = CheckBlocks(file, entries.Value(), m.variant, tiled); !ok) return ok.Failure();
    auto main = NodeOf(file, m.variant, entries.Value(), 0);
    if (!main) return main.Failure();
    m.main = std::move(main.Value());
    return m;
}

Status WriteMetadata(SafeFile& file, const Metadata& m) {
    const Bytes written{
        [&](std::uint64_t at, std::span<std::uint8_t> out) { return file.ReadAt(at, out); },
        file.Size()};
    Variant v;
    auto first = ReadHeader(written, v);
    std::vector<std::uint64_t> valuesAt;
    auto ours = first ? ReadEntries(written, first.Value(), v, &valuesAt) : first.Failure();
    if (!ours) return Fail(Problem::CantWrite, "(its directory could not be read back)");
    Node main = m.main;
    // The picture's entries stand; metadata of the same tag gives way to them.
    for (const Entry& e : ours.Value()) {
        std::erase_if(main.entries, [&](const Entry& kept) { return kept.tag == e.tag; });
        main.entries.push_back(e);
    }
    // libtiff writes its directory and the values it points to last: the new directory takes
    // its place. Otherwise it goes at the end, and the header points to it.
    const bool last = std::all_of(valuesAt.begin(), valuesAt.end(),
                                  [&](std::uint64_t at) { return at >= first.Value(); });
    const std::uint64_t at = last ? first.Value() : (file.Size() + 1) / 2 * 2;
    if (auto ok = file.WriteAt(at, Encode(main, at, v)); !ok) return ok;
    if (at == first.Value()) return Done{};
    std::vector<std::uint8_t> pointer(static_cast<std::size_t>(v.FieldSize()));
    for (int i = 0; i < v.FieldSize(); ++i)
        pointer[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(at >> (8 * (v.bigEndian ? v.FieldSize() - 1 - i : i)));
    return file.WriteAt(v.big ? 8 : 4, pointer);
}

}  // namespace tintwell::document::tiff
