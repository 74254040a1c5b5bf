#include "document/bmp_writer.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <vector>

#include "document/row_codec.h"
#include "document/safe_file.h"
#include "engine/pixel.h"

namespace tintwell::document {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kHeadersSize = 14 + 40;

void Put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

std::array<std::uint8_t, kHeadersSize> Headers(int width, int height, std::uint32_t imageSize) {
    std::array<std::uint8_t, kHeadersSize> h{};
    h[0] = 'B';
    h[1] = 'M';
    Put32(&h[2], kHeadersSize + imageSize);
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

Status WriteRows(SafeFile& file, const engine::PixelBuffer& picture, std::size_t rowBytes) {
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    const std::size_t rowsPerChunk = std::max<std::size_t>(1, kChunk / rowBytes);
    std::vector<std::uint8_t> chunk(rowsPerChunk * rowBytes, 0);
    for (int y = picture.Height() - 1; y >= 0;) {
        std::size_t rows = 0;
        for (; rows < rowsPerChunk && y >= 0; ++rows, --y) {
            Pack24(picture.Row(y), chunk.data() + rows * rowBytes,
                   static_cast<std::size_t>(picture.Width()));
        }
        if (auto ok = file.Write(std::span(chunk).first(rows * rowBytes)); !ok) return ok;
    }
    return Done{};
}

}  // namespace

Status EncodeBmp(const engine::PixelBuffer& picture, SafeFile& file) {
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(picture.Width()) * 3 + 3) / 4 * 4;
    const std::uint64_t imageSize = rowBytes * static_cast<std::uint64_t>(picture.Height());
    if (picture.IsEmpty()) return Fail(Problem::NoPicture);
    if (imageSize + kHeadersSize > std::numeric_limits<std::uint32_t>::max())
        return Fail(Problem::TooLargeToWrite, "a bitmap file");
    const auto headers =
        Headers(picture.Width(), picture.Height(), static_cast<std::uint32_t>(imageSize));
    if (auto ok = file.Reserve(kHeadersSize + imageSize); !ok) return ok;
    if (auto ok = file.Write(headers); !ok) return ok;
    return WriteRows(file, picture, rowBytes);
}

Status WriteBmp(const engine::PixelBuffer& picture, const fs::path& path, FileSystem& system) {
    if (picture.IsEmpty()) return Fail(Problem::NoPicture);
    auto file = SafeFile::Create(path, system);
    if (!file) return file.Failure();
    if (auto ok = EncodeBmp(picture, file.Value()); !ok) return ok;
    return file.Value().Commit();
}

}  // namespace tintwell::document
