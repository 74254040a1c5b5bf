#include "document/bmp/writer.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <vector>

#include "document/bmp/row_codec.h"
#include "document/byte_source.h"
#include "document/safe_file.h"
#include "engine/pixel.h"

namespace tintwell::document {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kHeadersSize = 14 + 40;
constexpr std::array<std::uint8_t, 4> kProxyMark = {'T', 'W', 'P', 'X'};

void Put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

std::array<std::uint8_t, kHeadersSize> Headers(int width, int height, std::uint32_t imageSize,
                                               bool proxy) {
    std::array<std::uint8_t, kHeadersSize> h{};
    h[0] = 'B';
    h[1] = 'M';
    Put32(&h[2], kHeadersSize + imageSize);
    if (proxy) std::copy(kProxyMark.begin(), kProxyMark.end(), h.begin() + 6);
    Put32(&h[10], kHeadersSize);
    Put32(&h[14], 40);
    Put32(&h[18], static_cast<std::uint32_t>(width));
    Put32(&h[22], static_cast<std::uint32_t>(height));  // positive: bottom-up
    Put16(&h[26], 1);
    Put16(&h[28], 24);
    Put32(&h[34], imageSize);
    Put32(&h[38], 2835);  // 72 dpi
    Put32(&h[42], 2835);
    return h;
}

// A row of any layout as a bitmap's blue, green and red bytes: 16-bit samples as round(v / 257),
// grey as three equal channels, alpha left out.
void PackRow(const engine::PixelBuffer& picture, int y, std::uint8_t* out) {
    const auto width = static_cast<std::size_t>(picture.Width());
    if (picture.IsScreenLayout()) return Pack24(picture.Row(y), out, width);
    const engine::Layout& layout = picture.GetLayout();
    const auto sample = [&](std::size_t x, int s) -> std::uint8_t {
        const std::size_t at = x * static_cast<std::size_t>(layout.samples) + s;
        if (layout.bits == 8) return picture.Bytes(y)[at];
        return static_cast<std::uint8_t>(
            (reinterpret_cast<const std::uint16_t*>(picture.Bytes(y))[at] + 128) / 257);
    };
    for (std::size_t x = 0; x < width; ++x, out += 3) {
        const bool grey = layout.IsGrey();
        out[0] = sample(x, grey ? 0 : 2);
        out[1] = sample(x, grey ? 0 : 1);
        out[2] = sample(x, 0);
    }
}

Status WriteRows(SafeFile& file, const engine::PixelBuffer& picture, std::size_t rowBytes) {
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    const std::size_t rowsPerChunk = std::max<std::size_t>(1, kChunk / rowBytes);
    std::vector<std::uint8_t> chunk(rowsPerChunk * rowBytes, 0);
    for (int y = picture.Height() - 1; y >= 0;) {
        std::size_t rows = 0;
        for (; rows < rowsPerChunk && y >= 0; ++rows, --y) {
            PackRow(picture, y, chunk.data() + rows * rowBytes);
        }
        if (auto ok = file.Write(std::span(chunk).first(rows * rowBytes)); !ok) return ok;
    }
    return Done{};
}

}  // namespace

Status EncodeBmp(const engine::PixelBuffer& picture, SafeFile& file, bool proxy) {
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(picture.Width()) * 3 + 3) / 4 * 4;
    const std::uint64_t imageSize = rowBytes * static_cast<std::uint64_t>(picture.Height());
    if (picture.IsEmpty()) return Fail(Problem::NoPicture);
    if (imageSize + kHeadersSize > std::numeric_limits<std::uint32_t>::max())
        return Fail(Problem::TooLargeToWrite, "a bitmap file");
    const auto headers =
        Headers(picture.Width(), picture.Height(), static_cast<std::uint32_t>(imageSize), proxy);
    if (auto ok = file.Reserve(kHeadersSize + imageSize); !ok) return ok;
    if (auto ok = file.Write(headers); !ok) return ok;
    return WriteRows(file, picture, rowBytes);
}

bool IsProxy(const fs::path& path, FileSystem& system) {
    auto source = FileSource::Open(path, system);
    std::array<std::uint8_t, 10> head{};
    return source && source.Value()->ReadAt(0, head) == head.size() && head[0] == 'B' &&
           head[1] == 'M' && std::equal(kProxyMark.begin(), kProxyMark.end(), head.begin() + 6);
}

Status WriteBmp(const engine::PixelBuffer& picture, const fs::path& path, FileSystem& system) {
    if (picture.IsEmpty()) return Fail(Problem::NoPicture);
    auto file = SafeFile::Create(path, system);
    if (!file) return file.Failure();
    if (auto ok = EncodeBmp(picture, file.Value()); !ok) return ok;
    return file.Value().Commit();
}

}  // namespace tintwell::document
