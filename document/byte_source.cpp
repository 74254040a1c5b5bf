#include "document/byte_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include <unistd.h>

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

Result<std::unique_ptr<FileSource>> FileSource::Open(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) return Fail("the file does not exist");
    if (std::filesystem::is_directory(status)) return Fail("it is a folder, not a file");
    if (!std::filesystem::is_regular_file(status)) return Fail("it is not a regular file");
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) return Fail("its size cannot be read: " + ec.message());

    std::unique_ptr<FileSource> source(new FileSource);
    source->m_file.reset(std::fopen(path.c_str(), "rb"));
    if (!source->m_file) return Fail(std::string("it cannot be opened: ") + std::strerror(errno));
    source->m_size = size;
    return source;
}

std::size_t FileSource::Read(std::span<std::uint8_t> out) {
    const std::size_t n = std::fread(out.data(), 1, out.size(), m_file.get());
    m_position += n;
    return n;
}

std::size_t FileSource::ReadAt(std::uint64_t position, std::span<std::uint8_t> out) const {
    const int fd = fileno(m_file.get());
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n =
            ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(position + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool FileSource::Seek(std::uint64_t position) {
    if (position > m_size) return false;
    if (std::fseek(m_file.get(), static_cast<long>(position), SEEK_SET) != 0) return false;
    m_position = position;
    return true;
}

}  // namespace tintwell::document
