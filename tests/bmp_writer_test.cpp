#include <gtest/gtest.h>

#include <hwy/targets.h>
#include <random>

#include "bmp_test_files.h"
#include "document/bmp_reader.h"
#include "document/bmp_writer.h"
#include "document/row_codec.h"
#include "temp_dir.h"

namespace tintwell::document {
namespace {

namespace fs = std::filesystem;

class RoundTrip : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(RoundTrip, ReadsBackPixelForPixelAsA24BitBottomUpBitmap) {
    const auto [width, height] = GetParam();
    tests::TempDir dir;
    const engine::PixelBuffer picture = tests::Pattern(width, height);
    ASSERT_TRUE(WriteBmp(picture, dir / "out.bmp").Ok());

    const std::vector<std::uint8_t> bytes = tests::ReadBytes(dir / "out.bmp");
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    EXPECT_EQ(bytes.size(), 54 + rowBytes * static_cast<std::size_t>(height));
    const auto field = [&](int at) {
        return std::size_t{bytes[at]} | std::size_t{bytes[at + 1]} << 8 |
               std::size_t{bytes[at + 2]} << 16;
    };
    EXPECT_EQ(field(2), bytes.size());  // the file's size, which other readers trust
    EXPECT_EQ(field(34), bytes.size() - 54);
    EXPECT_EQ(bytes[28], 24);    // bits per pixel
    EXPECT_EQ(bytes[14], 40);    // header size
    EXPECT_LT(bytes[25], 0x80);  // positive height: bottom-up

    auto back = ReadBmp(dir / "out.bmp");
    ASSERT_TRUE(back.Ok()) << back.Failure().reason;
    EXPECT_TRUE(tests::SamePicture(back.Value(), picture));
}

INSTANTIATE_TEST_SUITE_P(Sizes, RoundTrip,
                         ::testing::Values(std::pair{1, 1}, std::pair{2, 3}, std::pair{3, 2},
                                           std::pair{4, 1}, std::pair{5, 7}, std::pair{127, 3}));

TEST(BmpWriter, ReplacesTheFileALinkPointsToAndKeepsPermissions) {
    tests::TempDir dir;
    tests::WriteBytes(dir / "real.bmp", {1, 2, 3});
    fs::permissions(dir / "real.bmp",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(dir / "real.bmp", dir / "link.bmp");

    const engine::PixelBuffer picture = tests::Pattern(3, 3);
    ASSERT_TRUE(WriteBmp(picture, dir / "link.bmp").Ok());

    EXPECT_TRUE(fs::is_symlink(dir / "link.bmp"));
    EXPECT_EQ(fs::status(dir / "real.bmp").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    auto back = ReadBmp(dir / "real.bmp");
    ASSERT_TRUE(back.Ok());
    EXPECT_TRUE(tests::SamePicture(back.Value(), picture));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
}

const std::vector<std::uint8_t> kOriginal = {'B', 'M', 9,   9,   9,   9,   'o',
                                             'r', 'i', 'g', 'i', 'n', 'a', 'l'};

// The real file system, with one step of the save made to fail the way a full disk, a flaky
// network share or a yanked drive makes it fail.
enum class Step { Create, Reserve, FirstWrite, LastWrite, Sync, Close, Rename };

class FaultyFileSystem : public FileSystem {
public:
    explicit FaultyFileSystem(Step step, int writes = 0) : m_step(step), m_writes(writes) {}
    int CreateTemporary(std::string& name) override {
        return m_step == Step::Create ? Fault(ENOSPC) : FileSystem::CreateTemporary(name);
    }
    int Reserve(int fd, off_t size) override {
        return m_step == Step::Reserve ? Fault(ENOSPC) : FileSystem::Reserve(fd, size);
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        ++m_written;
        if ((m_step == Step::FirstWrite && m_written == 1) ||
            (m_step == Step::LastWrite && m_written == m_writes)) {
            return Fault(EIO);
        }
        return FileSystem::Write(fd, data, size);
    }
    int SyncToDisk(int fd) override {
        return m_step == Step::Sync ? Fault(EIO) : FileSystem::SyncToDisk(fd);
    }
    int Close(int fd) override {
        const int closed = FileSystem::Close(fd);
        return m_step == Step::Close ? Fault(EIO) : closed;
    }
    int Rename(const char* from, const char* to) override {
        return m_step == Step::Rename ? Fault(EXDEV) : FileSystem::Rename(from, to);
    }
    int Writes() const { return m_written; }

private:
    static int Fault(int error) {
        errno = error;
        return -1;
    }
    Step m_step;
    int m_writes;
    int m_written = 0;
};

class InjectedFault : public ::testing::TestWithParam<Step> {};

TEST_P(InjectedFault, IsReportedAndLeavesTheOriginalAndNoTemporaryFile) {
    tests::TempDir dir;
    const fs::path target = dir / "a.bmp";
    const engine::PixelBuffer picture = tests::Pattern(700, 600);  // more than one chunk
    FaultyFileSystem dryRun(static_cast<Step>(-1));  // fails nothing: counts the writes
    ASSERT_TRUE(WriteBmp(picture, dir / "count.bmp", dryRun).Ok());
    ASSERT_GT(dryRun.Writes(), 2);
    fs::remove(dir / "count.bmp");
    tests::WriteBytes(target, kOriginal);

    FaultyFileSystem faulty(GetParam(), dryRun.Writes());
    const Status saved = WriteBmp(picture, target, faulty);

    ASSERT_FALSE(saved.Ok());
    EXPECT_FALSE(saved.Failure().reason.empty());
    EXPECT_EQ(tests::ReadBytes(target), kOriginal);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(Steps, InjectedFault,
                         ::testing::Values(Step::Create, Step::Reserve, Step::FirstWrite,
                                           Step::LastWrite, Step::Sync, Step::Close, Step::Rename));

// Every row length up to a few of the widest vectors, random bytes: the vector conversions give
// what the plain loops give, under every vector unit here, and 24 bits go there and back whole.
TEST(RowCodec, VectorEqualsPlainUnderEveryTarget) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> in(4 * 200);
    for (auto& b : in) b = static_cast<std::uint8_t>(random());
    for (const std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
        hwy::SetSupportedTargetsForTest(target);
        for (std::size_t n = 0; n <= 200; ++n) {
            std::vector<std::uint32_t> pixels(n), plain(n);
            Expand24(in.data(), pixels.data(), n);
            Expand24Scalar(in.data(), plain.data(), n);
            ASSERT_EQ(pixels, plain) << hwy::TargetName(target) << " 24-bit, " << n;
            std::vector<std::uint8_t> back(3 * n + 1, 0xAB), plainBack(3 * n + 1, 0xAB);
            Pack24(pixels.data(), back.data(), n);
            Pack24Scalar(pixels.data(), plainBack.data(), n);
            ASSERT_EQ(back, plainBack) << hwy::TargetName(target) << " back, " << n;
            ASSERT_TRUE(std::equal(back.begin(), back.end() - 1, in.begin()));
            Opaque32(in.data(), pixels.data(), n);
            Opaque32Scalar(in.data(), plain.data(), n);
            ASSERT_EQ(pixels, plain) << hwy::TargetName(target) << " 32-bit, " << n;
        }
    }
    hwy::SetSupportedTargetsForTest(0);
}

}  // namespace
}  // namespace tintwell::document
