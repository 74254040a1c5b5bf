#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "document/file_stamp.h"
#include "document/file_system.h"
#include "document/result.h"

namespace tintwell::document {

// Bytes read front to back, with a jump forward or back to a position: what the bitmap reader
// needs of a file, so that it can decode straight from the file into the picture.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads up to out.size() bytes; returns how many were read (fewer only at the end).
    virtual std::size_t Read(std::span<std::uint8_t> out) = 0;
    virtual bool Seek(std::uint64_t position) = 0;
    virtual std::uint64_t Position() const = 0;
    // Reads up to out.size() bytes from `position` on, leaving Position() as it is; returns how
    // many were read. Safe to call from several threads at once.
    virtual std::size_t ReadAt(std::uint64_t position, std::span<std::uint8_t> out) const = 0;
    // A name that opens this very file again (not whatever its own name leads to now), for a
    // library that reads files itself; empty where there is none.
    virtual std::string ReopenName() const { return {}; }
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::uint64_t Size() const override { return m_bytes.size(); }
    std::size_t Read(std::span<std::uint8_t> out) override;
    bool Seek(std::uint64_t position) override;
    std::uint64_t Position() const override { return m_position; }
    std::size_t ReadAt(std::uint64_t position, std::span<std::uint8_t> out) const override;

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

// A file opened once, for reading: everything read comes from that one open file, whatever
// happens to its name meanwhile.
class FileSource : public ByteSource {
public:
    // Opens a regular file without blocking (a pipe or a device is refused, not waited on).
    static Result<std::unique_ptr<FileSource>> Open(const std::filesystem::path& path,
                                                    FileSystem& system = RealFileSystem());
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t Size() const override { return static_cast<std::uint64_t>(m_stamp.size); }
    std::size_t Read(std::span<std::uint8_t> out) override;
    bool Seek(std::uint64_t position) override;
    std::uint64_t Position() const override { return m_position; }
    std::size_t ReadAt(std::uint64_t position, std::span<std::uint8_t> out) const override;

    // The open file under /proc: the same file, however it is renamed or replaced meanwhile.
    std::string ReopenName() const override;
    // The file as it was when opened.
    const FileStamp& Stamp() const { return m_stamp; }
    // Whether nothing has written to the open file since it was opened.
    bool Unchanged() const;

private:
    FileSource(FileSystem& system, int fd, const FileStamp& stamp)
        : m_system(system), m_fd(fd), m_stamp(stamp) {}

    FileSystem& m_system;
    int m_fd;
    FileStamp m_stamp;
    std::uint64_t m_position = 0;
};

}  // namespace tintwell::document
