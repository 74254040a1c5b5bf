#include "document/bmp_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <vector>

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

// Where to write: the file a link points to, and the permissions it must keep.
struct Target {
    fs::path path;
    std::optional<fs::perms> perms;
};

Result<Target> ResolveTarget(const fs::path& path) {
    std::error_code ec;
    Target target{path, std::nullopt};
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        target.path = fs::canonical(path, ec);
        if (ec) return Fail("the link it names leads nowhere");
    }
    const fs::file_status status = fs::status(target.path, ec);
    if (!fs::exists(status)) return target;
    if (!fs::is_regular_file(status)) return Fail("it is not a regular file");
    if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) {
        return Fail("the file is read-only");
    }
    target.perms = status.permissions();
    return target;
}

// Starts the disk writing of what has been written so far without waiting for it, so that the
// final flush to disk overlaps with converting the rest.
void StartWriteback(QSaveFile& file, qint64 upTo) {
#if defined(__linux__)
    if (file.flush()) ::sync_file_range(file.handle(), 0, upTo, SYNC_FILE_RANGE_WRITE);
#else
    (void)file;
    (void)upTo;
#endif
}

bool WriteRows(QSaveFile& file, const engine::PixelBuffer& picture, std::size_t rowBytes) {
    constexpr std::size_t kChunk = std::size_t{1} << 20;
    constexpr qint64 kWritebackStep = qint64{8} << 20;
    const std::size_t rowsPerChunk = std::max<std::size_t>(1, kChunk / rowBytes);
    std::vector<std::uint8_t> chunk(rowsPerChunk * rowBytes, 0);
    qint64 written = kHeadersSize;
    qint64 nextWriteback = kWritebackStep;
    for (int y = picture.Height() - 1; y >= 0;) {
        std::size_t rows = 0;
        for (; rows < rowsPerChunk && y >= 0; ++rows, --y) {
            const std::uint32_t* in = picture.Row(y);
            std::uint8_t* out = chunk.data() + rows * rowBytes;
            for (int x = 0; x < picture.Width(); ++x, out += 3) {
                out[0] = static_cast<std::uint8_t>(engine::BlueOf(in[x]));
                out[1] = static_cast<std::uint8_t>(engine::GreenOf(in[x]));
                out[2] = static_cast<std::uint8_t>(engine::RedOf(in[x]));
            }
        }
        const auto bytes = static_cast<qint64>(rows * rowBytes);
        if (file.write(reinterpret_cast<const char*>(chunk.data()), bytes) != bytes) return false;
        written += bytes;
        if (written >= nextWriteback) {
            StartWriteback(file, written);
            nextWriteback = written + kWritebackStep;
        }
    }
    return true;
}

// Makes the rename itself survive a crash.
void SyncFolder(const fs::path& file) {
    const int fd = ::open(file.parent_path().empty() ? "." : file.parent_path().c_str(), O_RDONLY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::string Reason(const QSaveFile& file) {
    return file.errorString().toStdString();
}

}  // namespace

Status WriteBmp(const engine::PixelBuffer& picture, const fs::path& path) {
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(picture.Width()) * 3 + 3) / 4 * 4;
    const std::uint64_t imageSize = rowBytes * static_cast<std::uint64_t>(picture.Height());
    if (picture.IsEmpty()) return Fail("there is no picture to save");
    if (imageSize + kHeadersSize > std::numeric_limits<std::uint32_t>::max()) {
        return Fail("the picture is too large for a bitmap file");
    }
    auto target = ResolveTarget(path);
    if (!target) return target.Failure();

    QSaveFile file(QFile::decodeName(target.Value().path.c_str()));
    if (!file.open(QIODevice::WriteOnly)) return Fail("it cannot be written: " + Reason(file));
    const auto headers =
        Headers(picture.Width(), picture.Height(), static_cast<std::uint32_t>(imageSize));
    if (file.write(reinterpret_cast<const char*>(headers.data()), kHeadersSize) != kHeadersSize ||
        !WriteRows(file, picture, rowBytes) || !file.flush()) {
        return Fail("it could not be written: " + Reason(file));
    }
    if (target.Value().perms) {
        ::fchmod(file.handle(), static_cast<mode_t>(*target.Value().perms));
    }
    if (::fsync(file.handle()) != 0) return Fail("it could not be written to disk");
    if (!file.commit()) return Fail("it could not be saved: " + Reason(file));
    SyncFolder(target.Value().path);
    return Done{};
}

}  // namespace tintwell::document
