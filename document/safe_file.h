#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "document/file_stamp.h"
#include "document/file_system.h"
#include "document/result.h"

namespace tintwell::document {

// A new file that replaces `target` only when it has been written whole, given what the old
// file had (owner, group, permissions, extended attributes) and flushed to disk, and only if
// the target is still the file it was when the SafeFile was made. Until then the new content
// has no name (where the file system allows), so nothing is left behind by a crash or a kill;
// a SafeFile that is given up, or whose Commit fails, leaves the target as it is.
class SafeFile {
public:
    // Replaces the file a symbolic link leads to, when `target` is one. Refuses a file this
    // user may not write, a folder they may not write, a file with other hard links; with
    // `mustBe`, anything but that file, unchanged.
    static Result<SafeFile> Create(const std::filesystem::path& target,
                                   FileSystem& system = RealFileSystem(),
                                   const FileStamp* mustBe = nullptr);
    SafeFile(SafeFile&& other) noexcept;
    SafeFile& operator=(SafeFile&&) = delete;
    ~SafeFile();

    // Sets the whole file's room aside at once: the writes go faster, and a full disk shows
    // before any writing. File systems that cannot do it write without.
    Status Reserve(std::uint64_t size);
    // Appends, for formats written front to back.
    Status Write(std::span<const std::uint8_t> bytes);
    // Writes at a place, and reads back what was written, for formats that go back.
    Status WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const;
    // How long the new file is so far.
    std::uint64_t Size() const { return static_cast<std::uint64_t>(m_size); }
    // Gives the new file what the old one had, flushes it, and puts it in the target's place if
    // the target is still as it was found and `stillValid`, asked last, says yes.
    Status Commit(const std::function<bool()>& stillValid = {});

    // The file that is replaced (links resolved).
    const std::filesystem::path& Target() const { return m_target; }

private:
    using Attributes = std::vector<std::pair<std::string, std::string>>;
    struct Original {
        FileStamp stamp;
        Attributes attributes;
    };

    SafeFile(FileSystem& system, std::filesystem::path target, std::optional<Original> original)
        : m_fs(&system), m_target(std::move(target)), m_original(std::move(original)) {}
    Status Open();
    Status KeepWhatTheFileHad();
    Status CopyAttributes();
    Status GiveName();
    Status StillAsFound(const std::function<bool()>& stillValid) const;
    void GiveUp();

    FileSystem* m_fs;
    std::filesystem::path m_target;
    std::optional<Original> m_original;  // none where the target does not exist yet
    int m_fd = -1;
    std::string m_named;  // the new file's temporary name, once it has one
    off_t m_written = 0;  // where appending goes on
    off_t m_size = 0;
    off_t m_nextWriteback = 0;
};

}  // namespace tintwell::document
