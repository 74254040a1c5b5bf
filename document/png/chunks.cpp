#include "document/png/chunks.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <optional>
#include <set>

namespace tintwell::document::png {
namespace {

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

bool IsAncillary(const std::string& name) {
    return (name[0] & 0x20) != 0;
}
bool IsSafeToCopy(const std::string& name) {
    return (name[3] & 0x20) != 0;
}

// Chunks that say how the pixels' values are to be understood, which a change of the values
// leaves true, though they are not marked safe to copy.
bool KeptThoughUnsafe(const std::string& name) {
    static const std::set<std::string> kKept = {"iCCP", "sRGB", "gAMA", "cHRM", "pHYs",
                                                "oFFs", "sCAL", "cICP", "mDCv", "cLLi",
                                                "eXIf", "tEXt", "zTXt", "iTXt"};
    return kKept.count(name) != 0;
}

// Left out; a colour key (tRNS) makes the reader refuse the file.
bool ChangedByTheCorrection(const std::string& name) {
    static const std::set<std::string> kChanged = {"bKGD", "hIST", "pCAL", "sBIT",
                                                   "sPLT", "tIME", "dSIG", "tRNS"};
    return kChanged.count(name) != 0;
}

// Where the compressed stream of a chunk starts, for the kinds that hold one; none otherwise.
std::optional<std::size_t> CompressedFrom(const Chunk& c) {
    const auto& d = c.data;
    const auto zero = std::find(d.begin(), d.end(), 0);
    if (zero == d.end()) return std::nullopt;
    const auto key = static_cast<std::size_t>(zero - d.begin());
    if (c.name == "zTXt" || c.name == "iCCP") return key + 2;
    if (c.name == "iTXt" && key + 1 < d.size() && d[key + 1] == 1) {
        // keyword, flag, method, language, translated keyword, then the text
        std::size_t at = key + 3;
        for (int field = 0; field < 2 && at <= d.size(); ++field) {
            const auto end = std::find(d.begin() + static_cast<std::ptrdiff_t>(at), d.end(), 0);
            at = static_cast<std::size_t>(end - d.begin()) + 1;
        }
        return at;
    }
    return std::nullopt;
}

// Inflates a chunk's stream without keeping it, counting what it inflates to against `budget`.
Status Measure(const Chunk& c, std::size_t from, std::uint64_t& budget) {
    if (from > c.data.size()) return Damaged("its " + c.name + " chunk is cut short");
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return Fail(Problem::NoMemory);
    std::array<std::uint8_t, 1 << 16> out{};
    z.next_in = const_cast<std::uint8_t*>(c.data.data() + from);
    z.avail_in = static_cast<uInt>(c.data.size() - from);
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        status = inflate(&z, Z_NO_FLUSH);
        const std::uint64_t made = out.size() - z.avail_out;
        if (made > budget) {
            inflateEnd(&z);
            return Unsupported(
                "its compressed texts and profile inflate to more than 64 MB, "
                "which is taken for a decompression bomb");
        }
        budget -= made;
        if (status == Z_BUF_ERROR && z.avail_in == 0) break;
    }
    const std::string why = z.msg != nullptr ? z.msg : "it ends early";
    inflateEnd(&z);
    if (status != Z_STREAM_END) return Damaged("its " + c.name + " chunk is damaged (" + why + ")");
    return Done{};
}

// Whether a chunk is kept, left out, or makes the file refused.
Status Judge(const Chunk& c, std::uint64_t& budget, bool& keep) {
    keep = false;
    if (c.name == "acTL" || c.name == "fcTL" || c.name == "fdAT")
        return Unsupported("it is an animated PNG; rewriting it would keep only its first frame");
    if (!IsAncillary(c.name)) {
        if (c.name == "IHDR" || c.name == "PLTE" || c.name == "IDAT" || c.name == "IEND")
            return Done{};
        return Unsupported("it has a chunk (" + c.name +
                           ") needed to show it that this program does not know");
    }
    if (ChangedByTheCorrection(c.name)) return Done{};
    if (!IsSafeToCopy(c.name) && !KeptThoughUnsafe(c.name))
        return Unsupported("it has a chunk (" + c.name +
                           ") that depends on the pixels and that this program does not know; "
                           "rewriting it would drop it");
    if (const auto from = CompressedFrom(c)) {
        if (auto ok = Measure(c, *from, budget); !ok) return ok;
    }
    keep = true;
    return Done{};
}

}  // namespace

Result<std::vector<Chunk>> ReadChunks(const ByteSource& source) {
    std::vector<Chunk> kept;
    std::uint64_t budget = kMostInflated;
    Where where = Where::BeforePalette;
    for (std::uint64_t at = 8;;) {
        std::array<std::uint8_t, 8> head{};
        if (source.ReadAt(at, head) != head.size())
            return Damaged("the file ends before the picture does (truncated)");
        const std::uint32_t length = BigEndian32(head.data());
        Chunk c{std::string(head.begin() + 4, head.end()), {}, where};
        if (!std::all_of(c.name.begin(), c.name.end(),
                         [](char l) { return (l >= 'A' && l <= 'Z') || (l >= 'a' && l <= 'z'); }))
            return Damaged("a chunk of it has a name that is not four letters");
        if (length > 0x7FFFFFFFu || at + 12 + length > source.Size())
            return Damaged("the file ends before the picture does (truncated)");
        if (c.name == "IEND") break;
        if (c.name == "PLTE" && where == Where::BeforePalette) where = Where::BeforePixels;
        if (c.name == "IDAT") where = Where::AfterPixels;
        bool keep = false;
        if (IsAncillary(c.name) && !ChangedByTheCorrection(c.name)) {
            c.data.resize(length);
            if (source.ReadAt(at + 8, c.data) != length)
                return Damaged("the file ends before the picture does (truncated)");
        }
        if (auto ok = Judge(c, budget, keep); !ok) return ok.Failure();
        if (keep) kept.push_back(std::move(c));
        at += 12 + std::uint64_t{length};
    }
    return kept;
}

}  // namespace tintwell::document::png
