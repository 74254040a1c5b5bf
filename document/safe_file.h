#pragma once

#include <sys/types.h>

#include <atomic>
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

// What the target of a save must be for it to go ahead; a target that is anything else is
// refused as changed.
struct Expect {
    const FileStamp* file = nullptr;  // this file, unchanged
    bool nothing = false;             // no file of that name at all
    bool noLink = false;              // not a symbolic link (otherwise it is followed)
};

// A new file that replaces `target` only when it has been written whole, given what the old
// file had (owner, group, permissions, extended attributes) and flushed to disk, and only if
// the target is still the file it was when the SafeFile was made. Until then the new content
// has no name (where the file system allows), so nothing is left behind by a crash or a kill;
// a SafeFile that is given up, or whose Commit fails, leaves the target as it is.
//
// Where the file system has no unnamed files, the new file has a hidden name from the start.
// Every SafeFile holds a shared lock on its folder while its new file may have a name; one that
// finds no other writer in the folder removes the hidden files that writers ended by a crash or
// a kill left behind.
class SafeFile {
public:
    // Replaces the file a symbolic link leads to, when `target` is one. Refuses a file this
    // user may not write, a folder they may not write, a file with other hard links, and a
    // target other than `expect` says.
    static Result<SafeFile> Create(const std::filesystem::path& target,
                                   FileSystem& system = RealFileSystem(),
                                   const Expect& expect = Expect());
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

    // Once `stop` is set, every write fails as interrupted, so that a long save ends soon.
    void StopWhen(const std::atomic<bool>& stop) { m_stop = &stop; }

private:
    using Attributes = std::vector<std::pair<std::string, std::string>>;
    struct Original {
        FileStamp stamp;
        Attributes attributes;
    };

    SafeFile(FileSystem& system, std::filesystem::path target, std::optional<Original> original)
        : m_fs(&system), m_target(std::move(target)), m_original(std::move(original)) {}
    Status Open();
    void LockFolder();
    void RemoveLeftovers();
    void UnlockFolder();
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
    int m_folder = -1;  // the folder, locked shared while this file may have a name
    const std::atomic<bool>* m_stop = nullptr;
};

}  // namespace tintwell::document
