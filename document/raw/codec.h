#pragma once

#include <cstdint>
#include <string_view>

#include "document/byte_source.h"
#include "document/picture.h"
#include "document/result.h"

namespace tintwell::document::raw {

// Whether a name is that of a camera raw file LibRaw reads (DNG, CR2, CR3, NEF, ARW, RAF, ORF,
// RW2, PEF and the rest), in any letter case.
bool IsRawName(std::string_view path);

// Camera raw through LibRaw, read only: decoded to linear 16-bit RGB in the camera's own colour
// (no white balance, no colour matrix, no brightening, no gamma; the film base balances it),
// with LibRaw's own demosaicing and white level, upright as the file says; as `dcraw_emu -4
// -o 0 -r 1 1 1 1` decodes it. Its date, make, model and exposure go with it, for the TIFF its
// correction is written as. At most `maxPixels` pixels.
Result<Picture> Read(ByteSource& source, std::uint64_t maxPixels);

}  // namespace tintwell::document::raw
