#pragma once

// TIFF and PNG files of every kind the roll program takes, written with libtiff and libpng: a
// small picture whose samples run through their range, with a scanner's metadata when asked.
#include <png.h>
#include <tiffio.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace tintwell::tests {

namespace fs = std::filesystem;

// A TIFF as the table asks for it.
struct TiffKind {
    int bits = 8, samples = 3;
    int photometric = PHOTOMETRIC_RGB;
    int extra = -1;  // the extra sample's type, -1 for none
    int compression = COMPRESSION_NONE, predictor = PREDICTOR_NONE;
    bool separate = false, tiled = false, bigEndian = false, bigTiff = false;
    int format = SAMPLEFORMAT_UINT;
    bool metadata = false;
};

// Samples that run through their range and differ from place to place in a pixel.
inline std::vector<std::uint8_t> Samples(int width, int rows, int samples, int bits, int seed) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * rows * samples * bits / 8);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] =
            static_cast<std::uint8_t>((i * 131 + i / 7 + static_cast<std::size_t>(seed)) & 255);
    return out;
}

inline void WriteMetadata(TIFF* t) {
    static const std::uint8_t kProfile[] = {0,   0,   0,   24,  'l', 'c', 'm', 's',
                                            2,   16,  0,   0,   'm', 'n', 't', 'r',
                                            'R', 'G', 'B', ' ', 'X', 'Y', 'Z', ' '};
    static const char kXmp[] = "<x:xmpmeta xmlns:x='adobe:ns:meta/'/>";
    TIFFSetField(t, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(sizeof kProfile), kProfile);
    TIFFSetField(t, TIFFTAG_XMLPACKET, static_cast<std::uint32_t>(sizeof kXmp - 1), kXmp);
    TIFFSetField(t, TIFFTAG_XRESOLUTION, 4000.0);
    TIFFSetField(t, TIFFTAG_YRESOLUTION, 3999.5);
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_RIGHTTOP);
    for (const auto& [tag, text] : {std::pair{TIFFTAG_IMAGEDESCRIPTION, "frame 12, roll 3"},
                                    {TIFFTAG_MAKE, "A scanner"},
                                    {TIFFTAG_MODEL, "Model 7"},
                                    {TIFFTAG_SOFTWARE, "scanning program"},
                                    {TIFFTAG_DATETIME, "2026:12:07 10:11:12"},
                                    {TIFFTAG_ARTIST, "the photographer"},
                                    {TIFFTAG_COPYRIGHT, "(c) the photographer"}})
        TIFFSetField(t, tag, text);
}

inline void WriteTiff(const fs::path& path, const TiffKind& k) {
    constexpr int kWidth = 37, kHeight = 29, kTile = 16;
    std::string mode = std::string("w") + (k.bigEndian ? "b" : "l") + (k.bigTiff ? "8" : "");
    TIFF* t = TIFFOpen(path.c_str(), mode.c_str());
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, k.bits);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, k.samples);
    TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, k.format);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, k.photometric);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, k.separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, k.compression);
    if (k.predictor != PREDICTOR_NONE) TIFFSetField(t, TIFFTAG_PREDICTOR, k.predictor);
    if (k.extra >= 0) {
        const std::uint16_t types[2] = {static_cast<std::uint16_t>(k.extra),
                                        EXTRASAMPLE_UNSPECIFIED};
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES,
                     k.samples - (k.photometric == PHOTOMETRIC_RGB ? 3 : 1), types);
    }
    if (k.metadata) WriteMetadata(t);
    const int perPixel = k.separate ? 1 : k.samples, planes = k.separate ? k.samples : 1;
    if (k.tiled) {
        TIFFSetField(t, TIFFTAG_TILEWIDTH, kTile);
        TIFFSetField(t, TIFFTAG_TILELENGTH, kTile);
        for (ttile_t i = 0; i < TIFFNumberOfTiles(t); ++i) {
            auto tile = Samples(kTile, kTile, perPixel, k.bits, static_cast<int>(i));
            TIFFWriteEncodedTile(t, i, tile.data(), static_cast<tmsize_t>(tile.size()));
        }
    } else {
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 10);
        for (int plane = 0; plane < planes; ++plane) {
            for (int top = 0; top < kHeight; top += 10) {
                auto strip =
                    Samples(kWidth, std::min(10, kHeight - top), perPixel, k.bits, top + plane);
                TIFFWriteEncodedStrip(t,
                                      TIFFComputeStrip(t, top, static_cast<std::uint16_t>(plane)),
                                      strip.data(), static_cast<tmsize_t>(strip.size()));
            }
        }
    }
    TIFFWriteDirectory(t);
    TIFFClose(t);
}

// A small RGB display profile that libpng takes: a header with the D50 white, one tag, and data
// that does not compress to almost nothing (libpng refuses such a profile as too short).
inline std::vector<std::uint8_t> IccProfile() {
    std::vector<std::uint8_t> p(200, 0);
    const auto put = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) p[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    };
    put(0, static_cast<std::uint32_t>(p.size()));
    put(8, 0x02100000);
    std::copy_n("mntrRGB XYZ ", 12, p.begin() + 12);
    std::copy_n("acsp", 4, p.begin() + 36);
    for (const std::size_t at : {68u, 156u})
        put(at, 0xF6D6), put(at + 4, 0x10000), put(at + 8, 0xD32D);
    put(128, 1);
    std::copy_n("wtptXYZ ", 4, p.begin() + 132);
    put(136, 148);
    put(140, 20);
    std::copy_n("XYZ ", 4, p.begin() + 148);
    for (std::size_t i = 168; i < p.size(); ++i) p[i] = static_cast<std::uint8_t>(i * 37);
    return p;
}

inline void WritePng(const fs::path& path, int bits, int colourType, int interlace, bool chunks) {
    constexpr int kWidth = 23, kHeight = 19;
    FILE* f = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, kWidth, kHeight, bits, colourType, interlace, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    if (chunks) {
        const std::vector<std::uint8_t> profile = IccProfile();
        static std::uint8_t exif[] = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 0};
        if (colourType & PNG_COLOR_MASK_COLOR)  // the profile is an RGB one
            png_set_iCCP(png, info, "scanner", 0, profile.data(),
                         static_cast<png_uint_32>(profile.size()));
        png_set_gAMA_fixed(png, info, 45455);
        png_set_cHRM_fixed(png, info, 31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000);
        png_set_pHYs(png, info, 157480, 118110, PNG_RESOLUTION_METER);  // 4000 by 3000 dpi
        png_text texts[3] = {};
        const int kinds[3] = {PNG_TEXT_COMPRESSION_NONE, PNG_TEXT_COMPRESSION_zTXt,
                              PNG_ITXT_COMPRESSION_NONE};
        for (int i = 0; i < 3; ++i) {
            texts[i].compression = kinds[i];
            texts[i].key = const_cast<char*>(i == 0 ? "Title" : i == 1 ? "Comment" : "Author");
            texts[i].text = const_cast<char*>("roll 3, frame 12");
            texts[i].lang = const_cast<char*>("en");
            texts[i].lang_key = const_cast<char*>("Author");
        }
        png_set_text(png, info, texts, 3);
        png_set_eXIf_1(png, info, sizeof exif, exif);
        png_unknown_chunk unknown[2] = {{"scAn", nullptr, 3, PNG_HAVE_IHDR},
                                        {"prIv", nullptr, 3, PNG_AFTER_IDAT}};
        static std::uint8_t data[] = {1, 2, 3};
        unknown[0].data = unknown[1].data = data;
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_ALWAYS, nullptr, 0);
        png_set_unknown_chunks(png, info, unknown, 2);
        png_set_unknown_chunk_location(png, info, 1, PNG_AFTER_IDAT);
    }
    png_write_info(png, info);
    const int samples = png_get_channels(png, info);
    auto pixels = Samples(kWidth, kHeight, samples, bits, 5);
    std::vector<png_bytep> rows;
    for (int y = 0; y < kHeight; ++y)
        rows.push_back(pixels.data() + y * kWidth * samples * bits / 8);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

}  // namespace tintwell::tests
