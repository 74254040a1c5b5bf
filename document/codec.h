#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "document/byte_source.h"
#include "document/picture.h"
#include "document/result.h"
#include "document/safe_file.h"

namespace tintwell::document {

// Reads and writes one file format.
class Codec {
public:
    virtual ~Codec() = default;

    virtual Format Kind() const = 0;
    // Whether a file that starts with `head` (its first bytes, up to 8) is of this format.
    virtual bool Recognises(std::span<const std::uint8_t> head) const = 0;
    // Reads the picture, or says why it cannot; every sample it gives comes from the file.
    virtual Result<Picture> Read(ByteSource& source) const = 0;
    // Writes the picture into `file` in this format: as its keepsake says, where it has one of
    // this format; a picture of another layout as near as the format allows.
    virtual Status Write(const Picture& picture, SafeFile& file) const = 0;
    // What the picture's keepsake becomes once the picture is a positive made from a negative:
    // the file's own colour profile and colour chunks give way to `profile` (where the format
    // carries one; a bitmap carries none).
    virtual std::shared_ptr<const Keepsake> AsPositive(
        const Picture& picture, const std::vector<std::uint8_t>& profile) const = 0;
};

// Each format's codec: bitmaps (ours), bitmaps marked as the roll program's proxies (see
// EncodeBmp), TIFF (libtiff) and PNG (libpng).
const Codec& BmpCodec();
const Codec& ProxyCodec();
const Codec& TiffCodec();
const Codec& PngCodec();
// Camera raw files (LibRaw): read only.
const Codec& RawCodec();

// The codec a file's name asks for: .bmp, .tif, .tiff, .png or a camera raw file's ending, in any
// letter case.
const Codec* CodecForName(std::string_view path);

// What a format is called in a sentence: "bitmap", "TIFF", "PNG".
const char* FormatName(Format format);

}  // namespace tintwell::document
