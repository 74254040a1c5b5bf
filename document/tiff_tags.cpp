#include "document/tiff_tags.h"

#include <algorithm>
#include <cstring>

namespace tintwell::document::tiff {
namespace {

constexpr std::uint32_t kInteroperabilityIfd = 40965;

// Offsets of other directories mean nothing in a file written anew.
bool PointsElsewhere(std::uint32_t tag, TIFFDataType type) {
    return type == TIFF_IFD || type == TIFF_IFD8 || tag == TIFFTAG_SUBIFD ||
           tag == TIFFTAG_EXIFIFD || tag == TIFFTAG_GPSIFD || tag == kInteroperabilityIfd;
}

// Tags libtiff hands out as two separate 16-bit values.
bool IsPair(std::uint32_t tag) {
    return tag == TIFFTAG_PAGENUMBER || tag == TIFFTAG_HALFTONEHINTS;
}

void Keep(TagValue& v, const void* data, std::size_t bytes) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    v.bytes.assign(p, p + (p != nullptr ? bytes : 0));
}

std::optional<TagValue> ReadTag(TIFF* tiff, std::uint32_t tag) {
    const TIFFField* field = TIFFFindField(tiff, tag, TIFF_ANY);
    if (field == nullptr) return std::nullopt;
    TagValue v{tag, TIFFFieldDataType(field),   TagValue::Form::Single,
               1,   TIFFFieldSetGetSize(field), TIFFFieldSetGetCountSize(field) == 4,
               {}};
    if (PointsElsewhere(tag, v.type)) return std::nullopt;
    const void* data = nullptr;
    if (IsPair(tag)) {
        v.form = TagValue::Form::Pair;
        std::uint16_t pair[2] = {};
        if (TIFFGetField(tiff, tag, &pair[0], &pair[1]) != 1) return std::nullopt;
        v.count = 2;
        v.valueSize = 2;
        Keep(v, pair, sizeof pair);
    } else if (v.valueSize <= 0) {
        return std::nullopt;  // a tag libtiff keeps no value of
    } else if (TIFFFieldPassCount(field)) {
        v.form = TagValue::Form::Counted;
        std::uint16_t narrow = 0;
        const bool got = v.wideCount ? TIFFGetField(tiff, tag, &v.count, &data) == 1
                                     : TIFFGetField(tiff, tag, &narrow, &data) == 1;
        if (!got) return std::nullopt;
        if (!v.wideCount) v.count = narrow;
        Keep(v, data, std::size_t{v.count} * v.valueSize);
    } else if (v.type == TIFF_ASCII) {
        v.form = TagValue::Form::Text;
        const char* text = nullptr;
        if (TIFFGetField(tiff, tag, &text) != 1 || text == nullptr) return std::nullopt;
        Keep(v, text, std::strlen(text) + 1);
    } else if (TIFFFieldReadCount(field) == 1) {
        alignas(8) std::uint8_t value[8] = {};
        if (TIFFGetField(tiff, tag, value) != 1) return std::nullopt;
        Keep(v, value, static_cast<std::size_t>(v.valueSize));
    } else if (TIFFFieldReadCount(field) > 1) {
        v.form = TagValue::Form::Array;
        v.count = static_cast<std::uint32_t>(TIFFFieldReadCount(field));
        if (TIFFGetField(tiff, tag, &data) != 1) return std::nullopt;
        Keep(v, data, std::size_t{v.count} * v.valueSize);
    } else {
        return std::nullopt;  // no such form among the tags kept
    }
    return v;
}

// A single value as TIFFSetField takes it: integers as int (or wider), reals as double.
bool SetSingle(TIFF* tiff, const TagValue& v) {
    const std::uint8_t* p = v.bytes.data();
    const auto read = [p](auto value) {
        std::memcpy(&value, p, sizeof value);
        return value;
    };
    switch (v.type) {
        case TIFF_RATIONAL:
        case TIFF_SRATIONAL:
        case TIFF_FLOAT:
        case TIFF_DOUBLE:
            return TIFFSetField(tiff, v.tag,
                                v.valueSize == 4 ? double{read(float{})} : read(double{})) == 1;
        case TIFF_LONG8:
        case TIFF_SLONG8:
            return TIFFSetField(tiff, v.tag, read(std::uint64_t{})) == 1;
        default:
            break;
    }
    const bool isSigned = v.type == TIFF_SBYTE || v.type == TIFF_SSHORT || v.type == TIFF_SLONG;
    std::int64_t value = 0;
    switch (v.valueSize) {
        case 1:
            value = isSigned ? read(std::int8_t{}) : read(std::uint8_t{});
            break;
        case 2:
            value = isSigned ? read(std::int16_t{}) : read(std::uint16_t{});
            break;
        default:
            value = isSigned ? read(std::int32_t{}) : read(std::uint32_t{});
            break;
    }
    return TIFFSetField(tiff, v.tag, static_cast<int>(value)) == 1;
}

// A tag libtiff does not know in this directory (a maker's own) is made known again, as libtiff
// made it known when reading: a counted array of its type.
void MakeKnown(TIFF* tiff, const TagValue& v) {
    if (TIFFFindField(tiff, v.tag, TIFF_ANY) != nullptr) return;
    static char name[] = "Unknown tag";
    const TIFFFieldInfo info{v.tag, TIFF_VARIABLE2, TIFF_VARIABLE2, v.type, FIELD_CUSTOM, 1, 1,
                             name};
    TIFFMergeFieldInfo(tiff, &info, 1);
}

bool WriteTag(TIFF* tiff, const TagValue& v) {
    MakeKnown(tiff, v);
    switch (v.form) {
        case TagValue::Form::Counted:
            if (v.wideCount) return TIFFSetField(tiff, v.tag, v.count, v.bytes.data()) == 1;
            return TIFFSetField(tiff, v.tag, static_cast<int>(v.count), v.bytes.data()) == 1;
        case TagValue::Form::Text:
            return TIFFSetField(tiff, v.tag, reinterpret_cast<const char*>(v.bytes.data())) == 1;
        case TagValue::Form::Array:
            return TIFFSetField(tiff, v.tag, v.bytes.data()) == 1;
        case TagValue::Form::Single:
            return SetSingle(tiff, v);
        case TagValue::Form::Pair: {
            std::uint16_t pair[2] = {};
            std::memcpy(pair, v.bytes.data(), sizeof pair);
            return TIFFSetField(tiff, v.tag, int{pair[0]}, int{pair[1]}) == 1;
        }
    }
    return false;
}

}  // namespace

Tags ReadMetadata(TIFF* tiff) {
    Tags tags;
    // Where the file has none, none is written: no default takes its place.
    for (const std::uint32_t tag :
         {TIFFTAG_SUBFILETYPE, TIFFTAG_OSUBFILETYPE, TIFFTAG_THRESHHOLDING, TIFFTAG_XRESOLUTION,
          TIFFTAG_YRESOLUTION, TIFFTAG_RESOLUTIONUNIT, TIFFTAG_XPOSITION, TIFFTAG_YPOSITION,
          TIFFTAG_ORIENTATION, TIFFTAG_PAGENUMBER, TIFFTAG_HALFTONEHINTS}) {
        if (auto v = ReadTag(tiff, tag)) tags.push_back(std::move(*v));
    }
    const Tags custom = ReadCustomTags(tiff);
    tags.insert(tags.end(), custom.begin(), custom.end());
    return tags;
}

Tags ReadCustomTags(TIFF* tiff) {
    Tags tags;
    for (int i = 0; i < TIFFGetTagListCount(tiff); ++i) {
        if (auto v = ReadTag(tiff, TIFFGetTagListEntry(tiff, i))) tags.push_back(std::move(*v));
    }
    return tags;
}

std::optional<std::uint32_t> WriteTags(TIFF* tiff, const Tags& tags) {
    for (const TagValue& v : tags) {
        if (!WriteTag(tiff, v)) return v.tag;
    }
    return std::nullopt;
}

}  // namespace tintwell::document::tiff
