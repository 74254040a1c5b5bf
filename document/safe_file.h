#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "document/result.h"

namespace tintwell::document {

// The system calls a safe save makes, one function each, so that tests can make any of them
// fail. Each returns what the system call returns (-1 with errno set on failure).
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Creates and opens a new file from a template ending in XXXXXX, as mkstemp does.
    virtual int CreateTemporary(std::string& pathTemplate);
    virtual ssize_t Write(int fd, const void* data, std::size_t size);
    virtual int ChangeMode(int fd, mode_t mode);
    virtual int SyncToDisk(int fd);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
    virtual int Remove(const char* path);
    // Sets aside `size` bytes of disk for the file without changing its length.
    virtual int Reserve(int fd, off_t size);
    // Starts writing bytes already written to the disk, without waiting for it.
    virtual void StartWriteback(int fd, off_t upTo);
};

FileSystem& RealFileSystem();

// A new file that replaces `target` only when it has been written whole and flushed to disk.
// Until Commit succeeds the target is untouched; a SafeFile that is given up, or whose Commit
// fails, removes its temporary file.
class SafeFile {
public:
    static Result<SafeFile> Create(const std::filesystem::path& target, FileSystem& fs);
    SafeFile(SafeFile&& other) noexcept;
    SafeFile& operator=(SafeFile&&) = delete;
    ~SafeFile();

    // Sets the whole file's room aside at once: the writes go faster, and a full disk shows
    // before any writing. File systems that cannot do it write without.
    Status Reserve(std::uint64_t size);
    Status Write(std::span<const std::uint8_t> bytes);
    // Gives the file `mode`, flushes it to disk and moves it over the target.
    Status Commit(std::optional<mode_t> mode);

private:
    SafeFile(FileSystem& fs, std::filesystem::path target, std::string temporary, int fd)
        : m_fs(&fs), m_target(std::move(target)), m_temporary(std::move(temporary)), m_fd(fd) {}
    void GiveUp();

    FileSystem* m_fs;
    std::filesystem::path m_target;
    std::string m_temporary;
    int m_fd = -1;
    off_t m_written = 0;
    off_t m_nextWriteback = 0;
};

}  // namespace tintwell::document
