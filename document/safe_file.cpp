#include "document/safe_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <mutex>
#include <string_view>

namespace tintwell::document {
namespace {

namespace fs = std::filesystem;

// Early writeback keeps the final flush short: the disk works while the rest is converted.
constexpr off_t kWritebackStep = off_t{8} << 20;

// New files get the permissions the user's umask leaves, as any program's new files do. The
// umask is read where the system tells it without changing it: setting it to learn it would let
// another thread's new file slip through with none.
mode_t NewFileMode() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(0666 & ~std::stoul(line.substr(6), nullptr, 8));
    }
    static std::mutex changing;
    const std::lock_guard lock(changing);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

fs::path FolderOf(const fs::path& file) {
    return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

// A short hidden name beside the target: the same length whatever the target's name, so that
// it never makes a legal name too long.
std::string TemporaryName(const fs::path& folder) {
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t n =
        static_cast<std::uint64_t>(::getpid()) * 0x9E3779B97F4A7C15u ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (++counter * 0xBF58476D1CE4E5B9u);
    std::string name = ".tintwell-";
    for (int i = 0; i < 6; ++i, n /= 36) name += "0123456789abcdefghijklmnopqrstuvwxyz"[n % 36];
    return (folder / name).string();
}

// A name this program gives its new files: ".tintwell-" and six letters or digits.
bool IsTemporaryName(const std::string& name) {
    constexpr std::string_view kPrefix = ".tintwell-";
    return name.size() == kPrefix.size() + 6 && name.starts_with(kPrefix) &&
           std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kPrefix.size()), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

// Makes the rename itself survive a crash.
void SyncFolder(const fs::path& file) {
    const int fd = ::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// The names of a file's extended attributes, from a listxattr-like call; none where the file
// system has none.
template <typename List>
Result<std::vector<std::string>> AttributeNames(const List& list) {
    std::vector<std::string> names;
    const ssize_t size = list(nullptr, 0);
    if (size < 0 && (errno == ENOTSUP || errno == ENOSYS)) return names;
    std::string all(static_cast<std::size_t>(std::max<ssize_t>(size, 0)), '\0');
    if (size < 0 || list(all.data(), all.size()) != size)
        return Fail(Problem::AttributesNotKept, {}, errno);
    for (std::size_t at = 0; at < all.size(); at = all.find('\0', at) + 1)
        names.emplace_back(all.c_str() + at);
    return names;
}

// The names and values of a file's extended attributes: ACLs and security labels among them.
Result<std::vector<std::pair<std::string, std::string>>> ReadAttributes(FileSystem& system,
                                                                        const char* path) {
    auto names = AttributeNames(
        [&](char* out, std::size_t size) { return system.ListAttributes(path, out, size); });
    if (!names) return names.Failure();
    std::vector<std::pair<std::string, std::string>> attributes;
    for (const std::string& name : names.Value()) {
        const ssize_t length = system.GetAttribute(path, name.c_str(), nullptr, 0);
        std::string value(static_cast<std::size_t>(std::max<ssize_t>(length, 0)), '\0');
        if (length < 0 ||
            system.GetAttribute(path, name.c_str(), value.data(), value.size()) != length)
            return Fail(Problem::AttributesNotKept, {}, errno);
        attributes.emplace_back(name, std::move(value));
    }
    return attributes;
}

// What replacing an existing file needs of it.
Status CheckReplaceable(FileSystem& system, const char* path, const struct stat& status) {
    if (S_ISDIR(status.st_mode)) return Fail(Problem::Folder);
    if (!S_ISREG(status.st_mode)) return Fail(Problem::NotAFile);
    if (system.Access(path, W_OK) != 0) return Fail(Problem::ReadOnly, {}, errno);
    if (status.st_nlink > 1) return Fail(Problem::HardLinked);
    return Done{};
}

}  // namespace

Result<SafeFile> SafeFile::Create(const fs::path& target, FileSystem& system,
                                  const Expect& expect) {
    fs::path path = target;
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        if (expect.noLink || expect.nothing) return Fail(Problem::Changed);
        path = fs::canonical(target, ec);
        if (ec) return Fail(Problem::LinkLeadsNowhere);
    }
    std::optional<Original> original;
    struct stat status {};
    if (system.StatPath(path.c_str(), status) == 0) {
        if (auto ok = CheckReplaceable(system, path.c_str(), status); !ok) return ok.Failure();
        auto attributes = ReadAttributes(system, path.c_str());
        if (!attributes) return attributes.Failure();
        original = Original{StampOf(status), std::move(attributes.Value())};
    } else if (errno != ENOENT) {
        return Fail(Problem::CantWrite, {}, errno);
    }
    if (expect.file != nullptr && !(original && Unchanged(original->stamp, *expect.file)))
        return Fail(Problem::Changed);
    if (expect.nothing && original) return Fail(Problem::Changed);
    if (system.Access(FolderOf(path).c_str(), W_OK | X_OK) != 0)
        return Fail(Problem::FolderReadOnly, {}, errno);
    SafeFile file(system, std::move(path), std::move(original));
    if (auto ok = file.Open(); !ok) return ok.Failure();
    return file;
}

// An unnamed file in the target's folder; a named hidden one where the file system has none.
Status SafeFile::Open() {
    const fs::path folder = FolderOf(m_target);
    LockFolder();
    m_fd = m_fs->OpenUnnamed(folder.c_str(), m_original ? 0600 : 0666);
    if (m_fd >= 0) return Done{};
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return Fail(Problem::CantWrite, {}, errno);
    std::string name = (folder / ".tintwell-XXXXXX").string();
    m_fd = m_fs->CreateTemporary(name);
    if (m_fd < 0) return Fail(Problem::CantWrite, {}, errno);
    m_named = std::move(name);
    return Done{};
}

// A shared lock on the folder for as long as this file may have a name there. Where no other
// writer holds one, the hidden files in the folder were left by writers that are gone, and go.
// Where the folder cannot be locked (some network file systems), nothing is removed.
void SafeFile::LockFolder() {
    m_folder = m_fs->Open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0) return;
    if (m_fs->Lock(m_folder, LOCK_EX | LOCK_NB) == 0) RemoveLeftovers();
    if (m_fs->Lock(m_folder, LOCK_SH) != 0) UnlockFolder();
}

void SafeFile::RemoveLeftovers() {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(FolderOf(m_target), ec)) {
        std::error_code status;
        if (IsTemporaryName(entry.path().filename().string()) &&
            entry.symlink_status(status).type() == fs::file_type::regular)
            m_fs->Remove(entry.path().c_str());
    }
}

void SafeFile::UnlockFolder() {
    if (m_folder >= 0) m_fs->Close(m_folder);  // closing lets the lock go
    m_folder = -1;
}

SafeFile::SafeFile(SafeFile&& other) noexcept
    : m_fs(other.m_fs),
      m_target(std::move(other.m_target)),
      m_original(std::move(other.m_original)),
      m_fd(other.m_fd),
      m_named(std::move(other.m_named)),
      m_written(other.m_written),
      m_size(other.m_size),
      m_nextWriteback(other.m_nextWriteback),
      m_folder(other.m_folder),
      m_stop(other.m_stop) {
    other.m_fd = -1;
    other.m_named.clear();
    other.m_folder = -1;
}

SafeFile::~SafeFile() {
    GiveUp();
}

void SafeFile::GiveUp() {
    if (m_fd >= 0) m_fs->Close(m_fd);
    if (!m_named.empty()) m_fs->Remove(m_named.c_str());
    m_fd = -1;
    m_named.clear();
    UnlockFolder();
}

Status SafeFile::Reserve(std::uint64_t size) {
    if (m_fs->Reserve(m_fd, static_cast<off_t>(size)) != 0 && errno == ENOSPC) {
        return Fail(Problem::CantWrite, {}, ENOSPC);
    }
    return Done{};
}

Status SafeFile::Write(std::span<const std::uint8_t> bytes) {
    if (auto ok = WriteAt(static_cast<std::uint64_t>(m_written), bytes); !ok) return ok;
    m_written += static_cast<off_t>(bytes.size());
    return Done{};
}

Status SafeFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    if (m_stop != nullptr && m_stop->load(std::memory_order_relaxed))
        return Fail(Problem::Interrupted);
    auto at = static_cast<off_t>(offset);
    while (!bytes.empty()) {
        const ssize_t n = m_fs->WriteAt(m_fd, bytes.data(), bytes.size(), at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Fail(Problem::CantWrite, {}, n < 0 ? errno : 0);
        bytes = bytes.subspan(static_cast<std::size_t>(n));
        at += n;
    }
    m_size = std::max(m_size, at);
    if (m_size >= m_nextWriteback + kWritebackStep) {
        m_fs->StartWriteback(m_fd, m_size);
        m_nextWriteback = m_size;
    }
    return Done{};
}

std::size_t SafeFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = m_fs->ReadAt(m_fd, out.data() + done, out.size() - done,
                                       static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

// Owner and group first (changing them clears set-id bits and capabilities), then the
// attributes, then the permissions.
Status SafeFile::KeepWhatTheFileHad() {
    if (!m_original) {
        if (!m_named.empty() && m_fs->ChangeMode(m_fd, NewFileMode()) != 0)
            return Fail(Problem::CantWrite, {}, errno);
        return Done{};
    }
    const FileStamp& old = m_original->stamp;
    struct stat now {};
    if (m_fs->Stat(m_fd, now) != 0) return Fail(Problem::CantWrite, {}, errno);
    if ((now.st_uid != old.owner || now.st_gid != old.group) &&
        m_fs->ChangeOwner(m_fd, old.owner, old.group) != 0) {
        return Fail(Problem::OwnerNotKept, {}, errno);
    }
    if (auto ok = CopyAttributes(); !ok) return ok;
    if (m_fs->ChangeMode(m_fd, old.mode & 07777) != 0) return Fail(Problem::CantWrite, {}, errno);
    return Done{};
}

// The old file's attributes, and none that the new one got from its folder and the old lacked.
Status SafeFile::CopyAttributes() {
    const Attributes& wanted = m_original->attributes;
    auto names = AttributeNames(
        [&](char* out, std::size_t size) { return m_fs->ListOwnAttributes(m_fd, out, size); });
    if (!names) return names.Failure();
    for (const std::string& name : names.Value()) {
        const bool kept = std::any_of(wanted.begin(), wanted.end(),
                                      [&](const auto& a) { return a.first == name; });
        if (!kept && m_fs->RemoveAttribute(m_fd, name.c_str()) != 0)
            return Fail(Problem::AttributesNotKept, {}, errno);
    }
    for (const auto& [name, value] : wanted) {
        if (m_fs->SetAttribute(m_fd, name.c_str(), value.data(), value.size()) != 0)
            return Fail(Problem::AttributesNotKept, {}, errno);
    }
    return Done{};
}

// The name the new file takes just before the rename; a taken name is tried again.
Status SafeFile::GiveName() {
    if (!m_named.empty()) return Done{};
    const fs::path folder = FolderOf(m_target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = TemporaryName(folder);
        if (m_fs->Link(m_fd, name.c_str()) == 0) {
            m_named = std::move(name);
            return Done{};
        }
        if (errno != EEXIST) break;
    }
    return Fail(Problem::CantWrite, {}, errno);
}

// The target must still be the file that was found (or still be missing).
Status SafeFile::StillAsFound(const std::function<bool()>& stillValid) const {
    struct stat now {};
    const bool exists = m_fs->StatPath(m_target.c_str(), now) == 0;
    const bool same = m_original ? exists && Unchanged(StampOf(now), m_original->stamp)
                                 : !exists && errno == ENOENT;
    return same && (!stillValid || stillValid()) ? Status(Done{}) : Fail(Problem::Changed);
}

Status SafeFile::Commit(const std::function<bool()>& stillValid) {
    if (auto ok = KeepWhatTheFileHad(); !ok) return ok;
    if (m_fs->SyncToDisk(m_fd) != 0) return Fail(Problem::CantSync, {}, errno);
    if (auto ok = GiveName(); !ok) return ok;
    const int fd = m_fd;
    m_fd = -1;
    if (m_fs->Close(fd) != 0) return Fail(Problem::CantSync, {}, errno);
    if (auto ok = StillAsFound(stillValid); !ok) return ok;
    if (m_fs->Rename(m_named.c_str(), m_target.c_str()) != 0)
        return Fail(Problem::CantReplace, {}, errno);
    m_named.clear();
    SyncFolder(m_target);
    UnlockFolder();
    return Done{};
}

}  // namespace tintwell::document
