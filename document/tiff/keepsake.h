#pragma once

#include <tiffio.h>

#include <cstdint>

#include "document/picture.h"
#include "document/tiff/metadata.h"

namespace tintwell::document::tiff {

// What a TIFF needs to be written back as it was read: how its pixels were stored, and its
// metadata as the file had it.
struct TiffKeepsake final : Keepsake {
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint16_t predictor = PREDICTOR_NONE;
    std::uint16_t extraSample = EXTRASAMPLE_UNASSALPHA;
    bool saysPredictor = false, saysSampleFormat = false;
    bool minIsWhite = false;
    Metadata metadata;
};

}  // namespace tintwell::document::tiff
