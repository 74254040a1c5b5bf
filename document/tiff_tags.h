#pragma once

#include <tiffio.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tintwell::document::tiff {

// One tag's value as libtiff hands it out, kept to be handed back when the file is written:
// a counted array, a text, a fixed array or a single value, in libtiff's own storage.
struct TagValue {
    enum class Form { Counted, Text, Array, Single, Pair };
    std::uint32_t tag = 0;
    TIFFDataType type = TIFF_NOTYPE;
    Form form = Form::Single;
    std::uint32_t count = 0;
    int valueSize = 0;
    bool wideCount = false;  // a counted array with a 32-bit count
    std::vector<std::uint8_t> bytes;
    bool operator==(const TagValue&) const = default;
};
using Tags = std::vector<TagValue>;

// What the current directory says of its picture beyond its pixels: its kind of subfile,
// resolution, position, orientation and page, and every other tag (text, profiles, XMP,
// private tags) but pointers to other directories.
Tags ReadMetadata(TIFF* tiff);
// Every tag of the current custom directory (EXIF, GPS), but pointers to other directories.
Tags ReadCustomTags(TIFF* tiff);

// Sets the tags on the current directory; the tag that libtiff refused, if one was.
std::optional<std::uint32_t> WriteTags(TIFF* tiff, const Tags& tags);

}  // namespace tintwell::document::tiff
