#pragma once

// Camera raw files for the tests, written with libtiff as DNGs: a linear one (three samples a
// pixel, as a scanner's or a camera's demosaiced raw) and a Bayer one (one sample a pixel under
// a red-green-green-blue filter pattern), with a make, a model, a date, an exposure and a colour
// matrix.
#include <tiffio.h>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace tintwell::tests {

struct Dng {
    int width = 0, height = 0;
    bool bayer = false;
    std::vector<std::uint16_t> samples;  // row by row: three a pixel, or one under the pattern
    int orientation = ORIENTATION_TOPLEFT;
};

inline void WriteDng(const std::filesystem::path& path, const Dng& d) {
    static const TIFFFieldInfo kExposure[] = {
        {33434, 1, 1, TIFF_RATIONAL, FIELD_CUSTOM, 1, 0, const_cast<char*>("ExposureTime")}};
    TIFF* t = TIFFOpen(path.c_str(), "w");
    TIFFMergeFieldInfo(t, kExposure, 1);
    const int samples = d.bayer ? 1 : 3;
    TIFFSetField(t, TIFFTAG_SUBFILETYPE, 0);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, d.width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, d.height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, d.bayer ? PHOTOMETRIC_CFA : 34892);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ORIENTATION, d.orientation);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, d.height);
    TIFFSetField(t, TIFFTAG_MAKE, "Tintwell");
    TIFFSetField(t, TIFFTAG_MODEL, "Test Camera");
    TIFFSetField(t, TIFFTAG_DATETIME, "2026:12:08 10:11:12");
    TIFFSetField(t, 33434, 0.008);  // 1/125 s
    static const std::uint8_t kVersion[4] = {1, 4, 0, 0};
    TIFFSetField(t, TIFFTAG_DNGVERSION, kVersion);
    TIFFSetField(t, TIFFTAG_UNIQUECAMERAMODEL, "Tintwell Test Camera");
    // A camera's own colour that is not sRGB's, so that a conversion to sRGB would show.
    static const float kColourMatrix[9] = {0.9f, -0.3f, -0.1f, -0.4f, 1.3f,
                                           0.1f, -0.1f, 0.2f,  0.6f};
    TIFFSetField(t, TIFFTAG_COLORMATRIX1, 9, kColourMatrix);
    TIFFSetField(t, TIFFTAG_CALIBRATIONILLUMINANT1, 21);  // D65
    if (d.bayer) {
        static const std::uint16_t kDim[2] = {2, 2};
        static const std::uint8_t kPattern[4] = {0, 1, 1, 2};
        TIFFSetField(t, TIFFTAG_CFAREPEATPATTERNDIM, kDim);
        TIFFSetField(t, TIFFTAG_CFAPATTERN, 4, kPattern);
    }
    std::vector<std::uint16_t> strip = d.samples;
    TIFFWriteEncodedStrip(t, 0, strip.data(),
                          static_cast<tmsize_t>(strip.size() * sizeof(std::uint16_t)));
    TIFFWriteDirectory(t);
    TIFFClose(t);
}

}  // namespace tintwell::tests
