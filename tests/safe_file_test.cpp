// Replacing a file: each step of the save failing in turn, and what the new file keeps of the
// old one (owner, group, permissions, extended attributes), as root and as another user.
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/acl.h>
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
#include "step_file_system.h"
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

using tests::Step;
using FaultyFileSystem = tests::StepFileSystem;

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

// The window's Save: a last step that fails is reported, and the picture stays unsaved over the
// file as it was.
TEST(PictureDocument, SaveThatFailsLeavesThePictureUnsaved) {
    tests::TempDir dir;
    ASSERT_TRUE(WriteBmp(tests::Pattern(30, 20), dir / "a.bmp").Ok());
    const auto bytes = tests::ReadBytes(dir / "a.bmp");
    FaultyFileSystem faulty(Step::Rename, EIO);
    PictureDocument document(faulty);
    ASSERT_TRUE(document.Open((dir / "a.bmp").string()).Ok());
    document.MarkChanged();
    const Status saved = document.Save();
    ASSERT_FALSE(saved.Ok());
    EXPECT_EQ(saved.Failure().sysError, EIO);
    EXPECT_TRUE(document.IsChanged());
    EXPECT_EQ(tests::ReadBytes(dir / "a.bmp"), bytes);
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
    bool asNobody = false;
    const char* reason = "";  // "" where the save goes through
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

// The file's owner rw, the user nobody r, the group r.
void SetAcl(const fs::path& path, acl_type_t type) {
    const acl_t acl = acl_from_text("u::rw-,u:nobody:r--,g::r--,m::r--,o::---");
    EXPECT_EQ(acl_set_file(path.c_str(), type, acl), 0);
    acl_free(acl);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Replacing,
    ::testing::Values(
        ReplaceCase{.name = "through_a_link",
                    .prepare =
                        [](const fs::path& folder, const fs::path& file) {
                            fs::rename(file, folder / "real.bmp");
                            fs::create_symlink("real.bmp", file);
                            ::chmod((folder / "real.bmp").c_str(), 0640);
                        }},
        ReplaceCase{.name = "set_group_id_and_sticky_bits", .file = Owner{false, true, 03750}},
        ReplaceCase{.name = "attributes_and_acl",
                    .prepare =
                        [](const fs::path&, const fs::path& file) {
                            EXPECT_EQ(setxattr(file.c_str(), "user.frame", "12", 2, 0), 0);
                            SetAcl(file, ACL_TYPE_ACCESS);
                        }},
        ReplaceCase{.name = "folder_acl_not_taken",
                    .prepare = [](const fs::path& folder,
                                  const fs::path&) { SetAcl(folder, ACL_TYPE_DEFAULT); }},
        ReplaceCase{.name = "hard_link",
                    .reason = "it has other names (hard links), which replacing it would split off",
                    .prepare =
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
