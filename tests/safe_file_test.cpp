// Replacing a file: each step of the save failing in turn, and what the new file keeps of the
// old one (owner, group, permissions, extended attributes), as root and as another user.
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <map>
#include <optional>

#include "bmp_test_files.h"
#include "document/bmp/writer.h"
#include "document/codec.h"
#include "document/picture_document.h"
#include "document/reason.h"
#include "temp_dir.h"

namespace tintwell::document {
namespace {

namespace fs = std::filesystem;

const std::vector<std::uint8_t> kOriginal = {'B', 'M', 9,   9,   9,   9,   'o',
                                             'r', 'i', 'g', 'i', 'n', 'a', 'l'};

std::size_t Entries(const fs::path& dir) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// The real file system, with one step of the save made to fail the way a full disk, a flaky
// network share or a yanked drive makes it fail; writes take at most `most` bytes at a time,
// as a pipe or a signal may cut them short.
enum class Step {
    None,
    Unnamed,
    Named,
    Reserve,
    FirstWrite,
    LastWrite,
    Owner,
    Attribute,
    Mode,
    Sync,
    Link,
    Close,
    Rename
};

class FaultyFileSystem : public FileSystem {
public:
    FaultyFileSystem(Step step, int error, bool unnamed = true, std::size_t most = SIZE_MAX)
        : m_step(step), m_error(error), m_unnamed(unnamed), m_most(most) {}
    int OpenUnnamed(const char* folder, mode_t mode) override {
        if (!m_unnamed) return Failed(EOPNOTSUPP);  // a file system without them
        return Fault(Step::Unnamed, [&] { return FileSystem::OpenUnnamed(folder, mode); });
    }
    int CreateTemporary(std::string& name) override {
        return Fault(Step::Named, [&] { return FileSystem::CreateTemporary(name); });
    }
    int Reserve(int fd, off_t size) override {
        return Fault(Step::Reserve, [&] { return FileSystem::Reserve(fd, size); });
    }
    ssize_t WriteAt(int fd, const void* data, std::size_t size, off_t at) override {
        ++m_writes;
        const bool last = m_step == Step::LastWrite && m_writes == m_lastWrite;
        if ((m_step == Step::FirstWrite && m_writes == 1) || last) return Failed(m_error);
        return FileSystem::WriteAt(fd, data, std::min(size, m_most), at);
    }
    int ChangeOwner(int fd, uid_t owner, gid_t group) override {
        return Fault(Step::Owner, [&] { return FileSystem::ChangeOwner(fd, owner, group); });
    }
    int SetAttribute(int fd, const char* name, const void* value, std::size_t size) override {
        return Fault(Step::Attribute,
                     [&] { return FileSystem::SetAttribute(fd, name, value, size); });
    }
    int ChangeMode(int fd, mode_t mode) override {
        return Fault(Step::Mode, [&] { return FileSystem::ChangeMode(fd, mode); });
    }
    int SyncToDisk(int fd) override {
        return Fault(Step::Sync, [&] { return FileSystem::SyncToDisk(fd); });
    }
    int Link(int fd, const char* path) override {
        return Fault(Step::Link, [&] { return FileSystem::Link(fd, path); });
    }
    int Close(int fd) override {
        const int closed = FileSystem::Close(fd);
        return Fault(Step::Close, [&] { return closed; });
    }
    int Rename(const char* from, const char* to) override {
        return Fault(Step::Rename, [&] { return FileSystem::Rename(from, to); });
    }
    void FailOnWrite(int n) { m_lastWrite = n; }
    int Writes() const { return m_writes; }

private:
    static int Failed(int error) {
        errno = error;
        return -1;
    }
    template <typename Call>
    int Fault(Step at, const Call& call) {
        return m_step == at ? Failed(m_error) : call();
    }
    Step m_step;
    int m_error;
    bool m_unnamed;
    std::size_t m_most;
    int m_writes = 0, m_lastWrite = 0;
};

struct FaultCase {
    const char* name;
    Step step;
    int error;
    bool unnamed;  // whether the file system has unnamed files
    const char* reason;
};

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << c.name;
}

class InjectedFault : public ::testing::TestWithParam<FaultCase> {};

// A picture written by a format's codec over `target`, as a save of the roll program does.
Status Save(const Codec& codec, const Picture& picture, const fs::path& target,
            FileSystem& system) {
    auto file = SafeFile::Create(target, system);
    if (!file) return file.Failure();
    if (auto ok = codec.Write(picture, file.Value()); !ok) return ok;
    return file.Value().Commit();
}

// Every format's writer, failing at each step: a writer that only warned would replace the
// original with a truncated file and say it was saved. Where nothing fails, short writes give
// the whole file, with and without unnamed files.
TEST_P(InjectedFault, IsReportedAndLeavesTheOriginalAndNoTemporaryFile) {
    const FaultCase& c = GetParam();
    for (const Codec* codec : {&BmpCodec(), &TiffCodec(), &PngCodec()}) {
        if (c.step == Step::Reserve && codec != &BmpCodec()) continue;  // only bitmaps reserve
        SCOPED_TRACE(FormatName(codec->Kind()));
        tests::TempDir dir;
        const fs::path target = dir / "a.bmp";
        Picture picture{tests::Pattern(700, 600), Format::Bmp, nullptr};  // more than one chunk
        if (codec != &BmpCodec())
            picture.pixels = tests::Sixteen(700, 600);  // TIFF and PNG take their own layouts
        // Writes are taken a few bytes at a time, as a pipe or a signal may cut them short.
        FaultyFileSystem dryRun(Step::None, 0, c.unnamed, 1000);  // fails nothing: counts them
        FileSystem plain;
        ASSERT_TRUE(Save(*codec, picture, dir / "count", dryRun).Ok());
        ASSERT_TRUE(Save(*codec, picture, dir / "whole", plain).Ok());
        ASSERT_GT(dryRun.Writes(), 2);
        EXPECT_EQ(tests::ReadBytes(dir / "count"), tests::ReadBytes(dir / "whole"));
        fs::remove(dir / "count");
        fs::remove(dir / "whole");
        tests::WriteBytes(target, kOriginal);
        // An attribute of the original, so that copying attributes is a step of every save.
        ASSERT_EQ(setxattr(target.c_str(), "user.frame", "12", 2, 0), 0);

        FaultyFileSystem faulty(c.step, c.error, c.unnamed, 1000);
        faulty.FailOnWrite(dryRun.Writes());
        const Status saved = Save(*codec, picture, target, faulty);

        ASSERT_FALSE(saved.Ok());
        EXPECT_EQ(Reason(saved.Failure()), c.reason);
        EXPECT_EQ(tests::ReadBytes(target), kOriginal);
        EXPECT_EQ(Entries(dir.Path()), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, InjectedFault,
    ::testing::Values(
        FaultCase{"unnamed", Step::Unnamed, ENOSPC, true,
                  "it could not be written: No space left on device"},
        FaultCase{"named", Step::Named, EACCES, false,
                  "it could not be written: Permission denied"},
        FaultCase{"reserve", Step::Reserve, ENOSPC, true,
                  "it could not be written: No space left on device"},
        FaultCase{"first_write", Step::FirstWrite, EIO, true,
                  "it could not be written: Input/output error"},
        FaultCase{"last_write", Step::LastWrite, ENOSPC, false,
                  "it could not be written: No space left on device"},
        FaultCase{"attribute", Step::Attribute, EPERM, true,
                  "its extended attributes (ACLs, security labels) could not be kept: Operation "
                  "not permitted"},
        FaultCase{"mode", Step::Mode, EROFS, true,
                  "it could not be written: Read-only file system"},
        FaultCase{"sync", Step::Sync, EIO, true,
                  "it could not be written to disk: Input/output error"},
        FaultCase{"link", Step::Link, EMLINK, true, "it could not be written: Too many links"},
        FaultCase{"close", Step::Close, EIO, false,
                  "it could not be written to disk: Input/output error"},
        FaultCase{"rename", Step::Rename, EXDEV, true,
                  "it could not take the old file's place: Invalid cross-device link"},
        FaultCase{"rename_named", Step::Rename, EBUSY, false,
                  "it could not take the old file's place: Device or resource busy"}),
    [](const auto& info) { return std::string(info.param.name); });

std::vector<std::string> Temporaries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename();
        if (name.starts_with(".tintwell-")) names.push_back(name);
    }
    return names;
}

// Where the file system has no unnamed files, a writer that is killed leaves its hidden file;
// the next save into that folder removes it, but not the file of a writer still at work.
TEST(SafeFile, RemovesWhatAKilledWriterLeftButNotALiveWritersFile) {
    tests::TempDir dir;
    FaultyFileSystem noUnnamed(Step::None, 0, false);
    const pid_t writer = fork();
    if (writer == 0) {
        auto file = SafeFile::Create(dir / "a.bmp", noUnnamed);
        if (file) (void)file.Value().Write(kOriginal);
        ::raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    ASSERT_EQ(Temporaries(dir.Path()).size(), 1u);

    auto live = SafeFile::Create(dir / "b.bmp", noUnnamed);
    ASSERT_TRUE(live.Ok());
    const std::vector<std::string> own = Temporaries(dir.Path());
    EXPECT_EQ(own.size(), 1u);  // the killed writer's is gone, the live one's is there
    ASSERT_TRUE(WriteBmp(tests::Pattern(5, 4), dir / "c.bmp", noUnnamed).Ok());
    EXPECT_EQ(Temporaries(dir.Path()), own);
    ASSERT_TRUE(live.Value().Write(kOriginal).Ok());
    ASSERT_TRUE(live.Value().Commit().Ok());
    EXPECT_EQ(Temporaries(dir.Path()).size(), 0u);
    EXPECT_EQ(tests::ReadBytes(dir / "b.bmp"), kOriginal);
}

// A new file (a roll's --output) gets what the umask leaves of 0666, with and without unnamed
// files, whatever the umask was when the program started.
TEST(SafeFile, NewFileTakesTheModeTheUmaskLeaves) {
    tests::TempDir dir;
    const mode_t before = ::umask(022);
    int n = 0;
    for (const mode_t mask : {mode_t{022}, mode_t{077}, mode_t{002}}) {
        ::umask(mask);
        for (const bool unnamed : {true, false}) {
            FaultyFileSystem system(Step::None, 0, unnamed);
            const fs::path file = dir / ("new" + std::to_string(n++) + ".bmp");
            ASSERT_TRUE(WriteBmp(tests::Pattern(5, 4), file, system).Ok());
            struct stat s {};
            ASSERT_EQ(::stat(file.c_str(), &s), 0);
            EXPECT_EQ(s.st_mode & 07777, 0666 & ~mask) << std::oct << mask << " " << unnamed;
        }
    }
    ::umask(before);
}

// The window's Save: a step that fails, first or last, is reported, and the picture stays
// unsaved over the file as it was.
TEST(PictureDocument, SaveThatFailsLeavesThePictureUnsaved) {
    tests::TempDir dir;
    ASSERT_TRUE(WriteBmp(tests::Pattern(30, 20), dir / "a.bmp").Ok());
    const auto bytes = tests::ReadBytes(dir / "a.bmp");
    for (const Step step : {Step::FirstWrite, Step::Sync, Step::Rename}) {
        FaultyFileSystem faulty(step, EIO);
        PictureDocument document(faulty);
        ASSERT_TRUE(document.Open((dir / "a.bmp").string()).Ok());
        document.MarkChanged();
        const Status saved = document.Save();
        ASSERT_FALSE(saved.Ok());
        EXPECT_EQ(saved.Failure().sysError, EIO);
        EXPECT_TRUE(document.IsChanged());
        EXPECT_EQ(tests::ReadBytes(dir / "a.bmp"), bytes);
    }
}

// What replacing needs to keep: everything of the file but its content.
struct Kept {
    uid_t owner;
    gid_t group;
    mode_t mode;
    std::map<std::string, std::string> attributes;
    bool operator==(const Kept&) const = default;
};

Kept KeptOf(const fs::path& file) {
    struct stat s {};
    EXPECT_EQ(::stat(file.c_str(), &s), 0);
    Kept kept{s.st_uid, s.st_gid, s.st_mode & 07777, {}};
    char names[4096];
    const ssize_t size = listxattr(file.c_str(), names, sizeof names);
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::strlen(names + at)) + 1) {
        char value[1024];
        const ssize_t n = getxattr(file.c_str(), names + at, value, sizeof value);
        kept.attributes[names + at] =
            std::string(value, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    }
    return kept;
}

// A POSIX ACL as the kernel stores it: the file's owner rw, user `reader` r, group r, mask r.
std::string Acl(uid_t reader) {
    std::string acl;
    const auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) acl += static_cast<char>(v >> (8 * i));
    };
    put(2, 4);  // version
    for (const auto& [tag, perm, id] : {std::tuple{0x01u, 6u, ~0u},
                                        {0x02u, 4u, reader},
                                        {0x04u, 4u, ~0u},
                                        {0x10u, 4u, ~0u},
                                        {0x20u, 0u, ~0u}}) {
        put(tag, 2);
        put(perm, 2);
        put(id, 4);
    }
    return acl;
}

struct Nobody {
    uid_t uid;
    gid_t gid;
};
Nobody TheNobodyUser() {
    const passwd* user = getpwnam("nobody");
    return user ? Nobody{user->pw_uid, user->pw_gid} : Nobody{65534, 65534};
}

// Acts as `nobody` (ids and groups) for its lifetime; the test process is root.
class ActingAsNobody {
public:
    ActingAsNobody() : m_groups(static_cast<std::size_t>(getgroups(0, nullptr))) {
        getgroups(static_cast<int>(m_groups.size()), m_groups.data());
        const Nobody n = TheNobodyUser();
        EXPECT_EQ(setgroups(1, &n.gid), 0);
        EXPECT_EQ(setegid(n.gid), 0);
        EXPECT_EQ(seteuid(n.uid), 0);
    }
    ~ActingAsNobody() {
        EXPECT_EQ(seteuid(0), 0);
        EXPECT_EQ(setegid(0), 0);
        EXPECT_EQ(setgroups(m_groups.size(), m_groups.data()), 0);
    }

private:
    std::vector<gid_t> m_groups;
};

const Nobody kNobody = TheNobodyUser();

// An owner and permissions: nobody's user and group, or root's.
struct Owner {
    bool nobodyUser, nobodyGroup;
    mode_t mode;
};

void Own(const fs::path& path, Owner o) {
    EXPECT_EQ(
        ::chown(path.c_str(), o.nobodyUser ? kNobody.uid : 0, o.nobodyGroup ? kNobody.gid : 0), 0);
    EXPECT_EQ(::chmod(path.c_str(), o.mode), 0);
}

struct ReplaceCase {
    const char* name;
    bool asNobody;
    const char* reason;  // "" where the save goes through
    // The file dir/f/a.bmp and its folder as the row needs them.
    std::optional<Owner> file = std::nullopt, folder = std::nullopt;
    std::function<void(const fs::path& folder, const fs::path& file)> prepare = nullptr;
};

void PrintTo(const ReplaceCase& c, std::ostream* out) {
    *out << c.name;
}

class Replacing : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(Replacing, KeepsWhatTheFileHadOrRefusesAndLeavesIt) {
    if (!tests::IsRoot()) GTEST_SKIP() << "needs root, to own files as others do";
    const ReplaceCase& c = GetParam();
    tests::TempDir dir;
    fs::permissions(dir.Path(), fs::perms::all);
    const fs::path folder = dir / "f", file = folder / "a.bmp";
    fs::create_directory(folder);
    tests::WriteBytes(file, kOriginal);
    if (c.folder) Own(folder, *c.folder);
    if (c.file) Own(file, *c.file);
    if (c.prepare) c.prepare(folder, file);
    const fs::path real = fs::canonical(file);
    const Kept before = KeptOf(real);
    const std::size_t entries = Entries(folder);
    const engine::PixelBuffer picture = tests::Pattern(5, 4);

    Status saved = Fail(Problem::CantWrite);
    if (c.asNobody) {
        ActingAsNobody nobody;
        saved = WriteBmp(picture, file);
    } else {
        saved = WriteBmp(picture, file);
    }

    EXPECT_EQ(saved.Ok() ? "" : Reason(saved.Failure()), std::string(c.reason));
    EXPECT_EQ(KeptOf(real), before);
    EXPECT_EQ(Entries(folder), entries);
    EXPECT_EQ(tests::ReadBytes(real) == kOriginal, !saved.Ok());
}

void SetAcl(const fs::path& path, const char* name) {
    const std::string acl = Acl(kNobody.uid);
    EXPECT_EQ(setxattr(path.c_str(), name, acl.data(), acl.size(), 0), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Replacing,
    ::testing::Values(
        ReplaceCase{"through_a_link",
                    false,
                    "",
                    {},
                    {},
                    [](const fs::path& folder, const fs::path& file) {
                        fs::rename(file, folder / "real.bmp");
                        fs::create_symlink("real.bmp", file);
                        ::chmod((folder / "real.bmp").c_str(), 0640);
                    }},
        ReplaceCase{"another_users_file_as_root", false, "", Owner{true, true, 0640}},
        ReplaceCase{"set_group_id_and_sticky_bits", false, "", Owner{false, true, 03750}},
        ReplaceCase{"read_only_to_all_but_root_in_another_group", false, "",
                    Owner{false, true, 0444}},
        ReplaceCase{"attributes_and_acl",
                    false,
                    "",
                    {},
                    {},
                    [](const fs::path&, const fs::path& file) {
                        EXPECT_EQ(setxattr(file.c_str(), "user.frame", "12", 2, 0), 0);
                        SetAcl(file, "system.posix_acl_access");
                    }},
        ReplaceCase{"folder_acl_not_taken",
                    false,
                    "",
                    {},
                    {},
                    [](const fs::path& folder, const fs::path&) {
                        SetAcl(folder, "system.posix_acl_default");
                    }},
        ReplaceCase{"hard_link",
                    false,
                    "it has other names (hard links), which replacing it would split off",
                    {},
                    {},
                    [](const fs::path& folder, const fs::path& file) {
                        fs::create_hard_link(file, folder / "other-name.bmp");
                    }},
        ReplaceCase{"own_file", true, "", Owner{true, true, 0600}, Owner{true, true, 0755}},
        ReplaceCase{"group_writable_file_of_another_user", true,
                    "the new file could not be given its owner and group (it belongs to another "
                    "user): Operation not permitted",
                    Owner{false, true, 0664}, Owner{false, false, 0777}},
        ReplaceCase{"file_it_may_not_write", true, "the file is read-only: Permission denied",
                    Owner{false, false, 0644}, Owner{false, false, 0777}},
        ReplaceCase{"folder_it_may_not_write", true,
                    "its folder can't be written: Permission denied", Owner{true, true, 0644},
                    Owner{false, false, 0755}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tintwell::document
