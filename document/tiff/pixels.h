#pragma once

#include <tiffio.h>

#include <cstdint>

#include "document/result.h"
#include "engine/pixel_buffer.h"

namespace tintwell::document::tiff {

// What the pixel data of the current directory looks like, once it has been found to be of a
// kind this program takes.
struct Shape {
    std::uint32_t width = 0, height = 0;
    engine::Layout layout;
    std::uint16_t photometric = PHOTOMETRIC_RGB;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    std::uint16_t compression = COMPRESSION_NONE;
    std::uint16_t predictor = PREDICTOR_NONE;
    std::uint16_t extraSample = EXTRASAMPLE_UNASSALPHA;
    bool saysPredictor = false;     // the predictor tag is there, if only to say "none"
    bool saysSampleFormat = false;  // the sample format tag is there
};

// The shape of the current directory, or why it is refused: samples of other than 8 or 16
// bits, or not unsigned integers; a colour model other than grey or RGB; more than one extra
// sample; a lossy compression, or one this program does not write back; more than `maxPixels`.
Result<Shape> ReadShape(TIFF* tiff, std::uint64_t maxPixels);

// Decodes every strip or tile into the picture (grey stored white-is-zero is turned round);
// false where libtiff failed (its error tells why).
bool ReadPixels(TIFF* tiff, const Shape& shape, engine::PixelBuffer& picture);

// Encodes the picture in contiguous strips, turned round again where `minIsWhite`.
bool WritePixels(TIFF* tiff, const engine::PixelBuffer& picture, bool minIsWhite);

}  // namespace tintwell::document::tiff
