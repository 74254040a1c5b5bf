#include "document/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tintwell::document {
namespace {

namespace fs = std::filesystem;

// Early writeback keeps the final flush short: the disk works while the rest is converted.
constexpr off_t kWritebackStep = off_t{8} << 20;

std::string Why(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Makes the rename itself survive a crash.
void SyncFolder(const fs::path& file) {
    const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

int FileSystem::CreateTemporary(std::string& pathTemplate) {
    return ::mkostemp(pathTemplate.data(), O_CLOEXEC);
}
ssize_t FileSystem::Write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}
int FileSystem::ChangeMode(int fd, mode_t mode) {
    return ::fchmod(fd, mode);
}
int FileSystem::SyncToDisk(int fd) {
    return ::fsync(fd);
}
int FileSystem::Close(int fd) {
    return ::close(fd);
}
int FileSystem::Rename(const char* from, const char* to) {
    return ::rename(from, to);
}
int FileSystem::Remove(const char* path) {
    return ::unlink(path);
}
int FileSystem::Reserve(int fd, off_t size) {
#if defined(__linux__)
    return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size);
#else
    (void)fd;
    (void)size;
    errno = EOPNOTSUPP;
    return -1;
#endif
}
void FileSystem::StartWriteback(int fd, off_t upTo) {
#if defined(__linux__)
    ::sync_file_range(fd, 0, upTo, SYNC_FILE_RANGE_WRITE);
#else
    (void)fd;
    (void)upTo;
#endif
}

FileSystem& RealFileSystem() {
    static FileSystem real;
    return real;
}

Result<SafeFile> SafeFile::Create(const fs::path& target, FileSystem& fs) {
    // Hidden, beside the target, so that the rename stays within one file system.
    std::string name = ".";
    name += target.filename().string();
    name += ".tintwell-XXXXXX";
    std::string temporary = (target.parent_path() / name).string();
    const int fd = fs.CreateTemporary(temporary);
    if (fd < 0) return Fail(Why("it cannot be written"));
    return SafeFile(fs, target, std::move(temporary), fd);
}

SafeFile::SafeFile(SafeFile&& other) noexcept
    : m_fs(other.m_fs),
      m_target(std::move(other.m_target)),
      m_temporary(std::move(other.m_temporary)),
      m_fd(other.m_fd),
      m_written(other.m_written),
      m_nextWriteback(other.m_nextWriteback) {
    other.m_fd = -1;
    other.m_temporary.clear();
}

SafeFile::~SafeFile() {
    GiveUp();
}

void SafeFile::GiveUp() {
    if (m_fd >= 0) m_fs->Close(m_fd);
    if (!m_temporary.empty()) m_fs->Remove(m_temporary.c_str());
    m_fd = -1;
    m_temporary.clear();
}

Status SafeFile::Reserve(std::uint64_t size) {
    if (m_fs->Reserve(m_fd, static_cast<off_t>(size)) != 0 && errno == ENOSPC) {
        return Fail(Why("it could not be written"));
    }
    return Done{};
}

Status SafeFile::Write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = m_fs->Write(m_fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Fail(n < 0 ? Why("it could not be written") : "it could not be written");
        bytes = bytes.subspan(static_cast<std::size_t>(n));
        m_written += n;
    }
    if (m_written >= m_nextWriteback + kWritebackStep) {
        m_fs->StartWriteback(m_fd, m_written);
        m_nextWriteback = m_written;
    }
    return Done{};
}

Status SafeFile::Commit(std::optional<mode_t> mode) {
    if (mode && m_fs->ChangeMode(m_fd, *mode) != 0) return Fail(Why("its permissions"));
    if (m_fs->SyncToDisk(m_fd) != 0) return Fail(Why("it could not be written to disk"));
    const int fd = m_fd;
    m_fd = -1;
    if (m_fs->Close(fd) != 0) return Fail(Why("it could not be written to disk"));
    if (m_fs->Rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        return Fail(Why("it could not take the old file's place"));
    }
    m_temporary.clear();
    SyncFolder(m_target);
    return Done{};
}

}  // namespace tintwell::document
