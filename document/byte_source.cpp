#include "document/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tintwell::document {

std::size_t MemorySource::Read(std::span<std::uint8_t> out) {
    const std::size_t n = std::min(out.size(), m_bytes.size() - m_position);
    std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_position), n, out.begin());
    m_position += n;
    return n;
}

std::size_t MemorySource::ReadAt(std::uint64_t position, std::span<std::uint8_t> out) const {
    if (position >= m_bytes.size()) return 0;
    const std::size_t n = std::min<std::uint64_t>(out.size(), m_bytes.size() - position);
    std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(position), n, out.begin());
    return n;
}

bool MemorySource::Seek(std::uint64_t position) {
    if (position > m_bytes.size()) return false;
    m_position = static_cast<std::size_t>(position);
    return true;
}

Result<std::unique_ptr<FileSource>> FileSource::Open(const std::filesystem::path& path,
                                                     FileSystem& system) {
    const int fd = system.Open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return Fail(Problem::Missing);
        return Fail(Problem::CantOpen, {}, errno);
    }
    // The type is taken from the open file, so a name swapped meanwhile cannot slip through.
    struct stat status {};
    const int statted = system.Stat(fd, status);
    const int why = errno;
    if (statted != 0 || !S_ISREG(status.st_mode)) {
        system.Close(fd);
        if (statted != 0) return Fail(Problem::CantOpen, {}, why);
        return Fail(S_ISDIR(status.st_mode) ? Problem::Folder : Problem::NotAFile);
    }
    return std::unique_ptr<FileSource>(new FileSource(system, fd, StampOf(status)));
}

FileSource::~FileSource() {
    m_system.Close(m_fd);
}

bool FileSource::Unchanged() const {
    struct stat now {};
    return m_system.Stat(m_fd, now) == 0 && document::Unchanged(StampOf(now), m_stamp);
}

std::size_t FileSource::Read(std::span<std::uint8_t> out) {
    const std::size_t n = ReadAt(m_position, out);
    m_position += n;
    return n;
}

std::size_t FileSource::ReadAt(std::uint64_t position, std::span<std::uint8_t> out) const {
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = m_system.ReadAt(m_fd, out.data() + done, out.size() - done,
                                          static_cast<off_t>(position + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool FileSource::Seek(std::uint64_t position) {
    if (position > Size()) return false;
    m_position = position;
    return true;
}

std::string FileSource::ReopenName() const {
    return "/proc/self/fd/" + std::to_string(m_fd);
}

}  // namespace tintwell::document
