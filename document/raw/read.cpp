// Reading a camera raw file through LibRaw, into a picture that is written as a TIFF.
#include <libraw/libraw.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "document/limits.h"
#include "document/raw/codec.h"
#include "document/tiff/keepsake.h"

namespace tintwell::document::raw {
namespace {

// Past this a file is not a camera's raw file; reading it whole would be the wrong thing.
constexpr std::uint64_t kMostFileBytes = std::uint64_t{2} << 30;

// Metadata as little-endian classic TIFF entries: the keepsake's TIFF is written as such.
tiff::Entry Text(std::uint16_t tag, const std::string& text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return {tag, 2, bytes.size(), bytes};
}
tiff::Entry Rational(std::uint16_t tag, std::uint32_t num, std::uint32_t den) {
    std::vector<std::uint8_t> bytes(8);
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<std::uint8_t>(num >> (8 * i));
        bytes[4 + i] = static_cast<std::uint8_t>(den >> (8 * i));
    }
    return {tag, 5, 1, bytes};
}
tiff::Entry Short(std::uint16_t tag, std::uint32_t v) {
    return {tag, 3, 1, {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}};
}

// Tenths as a rational; an exposure shorter than a second as 1/N, as cameras say it.
tiff::Entry Tenths(std::uint16_t tag, double v) {
    return Rational(tag, static_cast<std::uint32_t>(std::lround(v * 10)), 10);
}
tiff::Entry Exposure(double seconds) {
    if (seconds > 0 && seconds < 1)
        return Rational(33434, 1, static_cast<std::uint32_t>(std::lround(1 / seconds)));
    return Tenths(33434, seconds);
}

tiff::Metadata MetadataOf(const libraw_data_t& d) {
    tiff::Metadata m;
    m.main.entries = {Text(271, d.idata.make), Text(272, d.idata.model)};
    std::tm when{};
    char date[32] = "";
    if (d.other.timestamp > 0 && localtime_r(&d.other.timestamp, &when) != nullptr)
        std::strftime(date, sizeof date, "%Y:%m:%d %H:%M:%S", &when);
    if (date[0] != '\0') m.main.entries.push_back(Text(306, date));
    tiff::Node exif;
    if (d.other.shutter > 0) exif.entries.push_back(Exposure(d.other.shutter));
    if (d.other.aperture > 0) exif.entries.push_back(Tenths(33437, d.other.aperture));
    if (d.other.iso_speed > 0)
        exif.entries.push_back(Short(34855, static_cast<std::uint32_t>(d.other.iso_speed)));
    if (date[0] != '\0') exif.entries.push_back(Text(36867, date));
    if (d.other.focal_len > 0) exif.entries.push_back(Tenths(37386, d.other.focal_len));
    if (!exif.entries.empty()) {
        m.main.entries.push_back({34665, 4, 1, {0, 0, 0, 0}});
        m.main.directories[34665] = std::move(exif);
    }
    return m;
}

// As `dcraw_emu -4 -o 0 -r 1 1 1 1`: linear 16 bits, no brightening, no gamma, the camera's own
// colour, no white balance.
void Settle(libraw_output_params_t& p) {
    p.output_bps = 16;
    p.no_auto_bright = 1;
    p.gamm[0] = p.gamm[1] = 1;
    p.output_color = 0;
    p.use_camera_wb = p.use_auto_wb = 0;
    std::fill(std::begin(p.user_mul), std::end(p.user_mul), 1.0f);
}

Error LibRawFailure(int error) {
    return Damaged(std::string("LibRaw: ") + libraw_strerror(error));
}

}  // namespace

bool IsRawName(std::string_view path) {
    static constexpr std::array<std::string_view, 27> kEndings = {
        ".dng", ".cr2", ".cr3", ".crw", ".nef", ".nrw", ".arw", ".srf", ".sr2",
        ".raf", ".orf", ".rw2", ".pef", ".srw", ".x3f", ".3fr", ".fff", ".iiq",
        ".mos", ".mef", ".mrw", ".kdc", ".dcr", ".erf", ".raw", ".rwl", ".rwz"};
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos) return false;
    std::string ending(path.substr(dot));
    for (char& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return std::find(kEndings.begin(), kEndings.end(), ending) != kEndings.end();
}

Result<Picture> Read(ByteSource& source, std::uint64_t maxPixels) {
    if (source.Size() > kMostFileBytes) return Unsupported("it is too large for a raw file");
    auto raw = std::make_unique<LibRaw>();
    Settle(raw->imgdata.params);
    // LibRaw reads the very file that was opened, through its own buffered reading; bytes that
    // are no file's (or a file /proc does not show) are handed to it whole.
    std::vector<std::uint8_t> bytes;
    const std::string reopen = source.ReopenName();
    int opened = reopen.empty() ? ENOENT : raw->open_file(reopen.c_str());
    if (opened > 0) {  // a system error: LibRaw's own are negative
        bytes.resize(static_cast<std::size_t>(source.Size()));
        if (source.ReadAt(0, bytes) != bytes.size()) return Fail(Problem::CantRead);
        raw->recycle();
        Settle(raw->imgdata.params);
        opened = raw->open_buffer(bytes.data(), bytes.size());
    }
    if (opened != LIBRAW_SUCCESS) return Fail(Problem::NotItsFormat, "camera raw");
    const auto& s = raw->imgdata.sizes;
    if (std::uint64_t{s.width} * s.height > maxPixels) return TooLarge(maxPixels);
    if (const int e = raw->unpack(); e != LIBRAW_SUCCESS) return LibRawFailure(e);
    if (const int e = raw->dcraw_process(); e != LIBRAW_SUCCESS) return LibRawFailure(e);
    // LibRaw copies its upright picture straight into ours, as its own memory image would hold
    // it.
    int width = 0, height = 0, colors = 0, bps = 0;
    raw->get_mem_image_format(&width, &height, &colors, &bps);
    if (colors != 3 || bps != 16) return Unsupported("LibRaw gave no 16-bit RGB picture of it");
    auto pixels =
        engine::PixelBuffer::Allocate(width, height, engine::FileLayout(false, false, 16), false);
    if (!pixels) return Fail(Problem::NoMemory);
    if (const int e = raw->copy_mem_image(pixels->Bytes(0), static_cast<int>(pixels->RowSize()), 0);
        e != LIBRAW_SUCCESS)
        return LibRawFailure(e);
    auto keep = std::make_shared<tiff::TiffKeepsake>();
    keep->metadata = MetadataOf(raw->imgdata);
    return Picture{std::move(*pixels), Format::Raw, std::move(keep)};
}

}  // namespace tintwell::document::raw
