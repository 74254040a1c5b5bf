// tintwell-batch: its command line, a mixed roll, the suggestions, and an interrupted roll.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

#include "batch/options.h"
#include "batch/roll.h"
#include "bmp_test_files.h"
#include "document/bmp_writer.h"
#include "engine/pixel_rule.h"
#include "temp_dir.h"

namespace tintwell::batch {
namespace {

namespace fs = std::filesystem;

struct OptionCase {
    std::vector<std::string> args;
    int status;            // -1: options to run with
    const char* mentions;  // in what is printed
};

class CommandLine : public ::testing::TestWithParam<OptionCase> {};

TEST_P(CommandLine, IsReadOrRefusedWithUsageStatus) {
    const Parsed p = ParseOptions(GetParam().args, 4);
    EXPECT_EQ(p.options ? -1 : p.status, GetParam().status) << p.err;
    EXPECT_NE((p.out + p.err).find(GetParam().mentions), std::string::npos) << p.out << p.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLine,
    ::testing::Values(
        OptionCase{{"--black", "1,2,3", "--white", "200,200,200", "a.bmp"}, 2, "--in-place"},
        OptionCase{{"--black", "1,2", "--white", "200,200,200", "--in-place", "a.bmp"},
                   2,
                   "three numbers"},
        OptionCase{{"--black", "1,2,3,4", "--white", "9,9,9", "--in-place", "a.bmp"}, 2, "R,G,B"},
        OptionCase{{"--black", "1,2,3", "--white", "9,9,9", "--in-place"}, 2, "FILE"},
        OptionCase{{"--jobs", "0", "--suggest", "a.bmp"}, 2, "--jobs"},
        OptionCase{{"--in-place", "--output", "d", "--black", "1,2,3", "--white", "9,9,9", "a"},
                   2,
                   "excludes"},
        OptionCase{{"--suggest", "--black", "1,2,3", "a.bmp"}, 2, "writes nothing"},
        OptionCase{{"--suggest", "--clip", "101", "a.bmp"}, 2, "--clip"},
        OptionCase{{"--suggest", "--clip", "100", "--margin", "50", "a.bmp"}, -1, ""},
        OptionCase{{"--clip", "1", "--black", "1,2,3", "--white", "9,9,9", "--in-place", "a"},
                   2,
                   "go with --suggest"},
        OptionCase{{"--version"}, 0, "tintwell-batch 0."}, OptionCase{{"--help"}, 0, "--suggest"},
        OptionCase{
            {"--black", "12.7,&HF,", "--white", "a,1e2, 9", "--in-place", "a.bmp"}, -1, ""}));

TEST(CommandLine, KeepsTheTextsForTheFieldsRuleAndDefaults) {
    const Parsed p = ParseOptions(
        {"--black", "12.7,&HF,", "--white", "a,1e2, 9", "--output", "out", "x.bmp", "y.bmp"}, 3);
    ASSERT_TRUE(p.options);
    EXPECT_EQ(p.options->blacks, (engine::PerChannel<std::string>{"12.7", "&HF", ""}));
    EXPECT_EQ(p.options->whites, (engine::PerChannel<std::string>{"a", "1e2", " 9"}));
    EXPECT_EQ(p.options->jobs, 3u);
    EXPECT_EQ(p.options->files, (std::vector<std::string>{"x.bmp", "y.bmp"}));
    const Parsed s = ParseOptions({"--suggest", "--clip", "0.5,2", "--margin", "10", "x.bmp"}, 1);
    ASSERT_TRUE(s.options);
    EXPECT_EQ(s.options->lowClip, 0.5);
    EXPECT_EQ(s.options->highClip, 2.0);
    EXPECT_EQ(s.options->margin, 10.0);
}

const engine::PerChannel<std::string> kBlacks = {"12", "41", "77"}, kWhites = {"201", "188", "230"};

// The rule applied to every pixel and saved as the window saves: what Process and Save give.
std::vector<std::uint8_t> WindowsBytes(const engine::PixelBuffer& original, const fs::path& dir) {
    document::WriteBmp(tests::Corrected(original, engine::CalcFactors(kBlacks, kWhites).levels),
                       dir / ".expected.bmp");
    auto bytes = tests::ReadBytes(dir / ".expected.bmp");
    fs::remove(dir / ".expected.bmp");
    return bytes;
}

struct Ran {
    int status;
    std::string out, err;
};

Ran Roll(std::vector<std::string> args) {
    const Parsed p = ParseOptions(args, 2);
    if (!p.options) return {p.status, p.out, p.err};
    std::ostringstream out, err;
    const std::atomic<bool> stop{false};
    const int status = RunRoll(*p.options, out, err, false, stop);
    return {status, out.str(), err.str()};
}

std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Roll, MixedRollCorrectsTheGoodFilesAndLeavesTheRestAsTheyWere) {
    tests::TempDir dir;
    const engine::PixelBuffer a = tests::Pattern(23, 17), b = tests::Pattern(31, 7);
    fs::create_directories(dir / "sub");
    fs::create_directories(dir / "folder.bmp");
    document::WriteBmp(a, dir / "a.bmp");
    document::WriteBmp(b, dir / "b.bmp");
    document::WriteBmp(b, dir / "sub" / "a.bmp");  // the same name as a.bmp in the output
    document::WriteBmp(b, dir / "b.jpg");
    tests::WriteBytes(dir / "damaged.bmp", {'B', 'M', 7});
    const std::vector<std::string> files = {"a.bmp",      "damaged.bmp", "b.jpg",
                                            "folder.bmp", "sub/a.bmp",   "b.bmp"};
    std::vector<std::string> args = {"--black",     "12,41,77", "--white",
                                     "201,188,230", "--output", (dir / "out").string(),
                                     "--jobs",      "3"};
    for (const auto& f : files) args.push_back((dir / f).string());
    const auto before = tests::ReadBytes(dir / "sub" / "a.bmp");

    const Ran run = Roll(args);

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Names(dir / "out"), (std::vector<std::string>{"a.bmp", "b.bmp"}));
    EXPECT_EQ(tests::ReadBytes(dir / "out" / "a.bmp"), WindowsBytes(a, dir.Path()));
    EXPECT_EQ(tests::ReadBytes(dir / "out" / "b.bmp"), WindowsBytes(b, dir.Path()));
    EXPECT_EQ(tests::ReadBytes(dir / "sub" / "a.bmp"), before);
    EXPECT_EQ(tests::ReadBytes(dir / "damaged.bmp"), (std::vector<std::uint8_t>{'B', 'M', 7}));
    // One line each, in the order of the command line.
    std::istringstream refusals(run.err);
    for (const char* why :
         {"damaged.bmp: Can't read that for some reason: ", "b.jpg: I only take BMP files",
          "folder.bmp: Can't read that", "sub/a.bmp: "}) {
        std::string line;
        std::getline(refusals, line);
        EXPECT_NE(line.find(why), std::string::npos) << line;
    }
    EXPECT_LT(run.out.find("a.bmp ->"), run.out.find("b.bmp ->"));

    // In place, over the originals; and a set the window would refuse reads and writes nothing.
    const Ran inPlace = Roll(
        {"--black", "12,41,77", "--white", "201,188,230", "--in-place", (dir / "a.bmp").string()});
    EXPECT_EQ(inPlace.status, 0);
    EXPECT_EQ(tests::ReadBytes(dir / "a.bmp"), WindowsBytes(a, dir.Path()));
    const Ran refused = Roll({"--black", "1e5,0,0", "--white", "9,9,9", "--output",
                              (dir / "never").string(), (dir / "b.bmp").string()});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("The red black point is out of range."), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "never"));
}

// Red 0..99 (ten pixels each), green 50, blue half 200 and half 210; the second picture 100
// higher in red, green 60 and blue 220.
engine::PixelBuffer Known(int second) {
    engine::PixelBuffer p = *engine::PixelBuffer::Allocate(100, 10);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 100; ++x) {
            p.Row(y)[x] = second ? engine::PackPixel(x + 100, 60, 220)
                                 : engine::PackPixel(x, 50, x < 50 ? 200 : 210);
        }
    }
    return p;
}

TEST(Roll, SuggestsForEachFileAndForTheWholeRoll) {
    tests::TempDir dir;
    document::WriteBmp(Known(0), dir / "one.bmp");
    document::WriteBmp(Known(1), dir / "two.bmp");
    const Ran run = Roll(
        {"--suggest", "--margin", "0", (dir / "one.bmp").string(), (dir / "two.bmp").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "--black 0,50,200 --white 99,51,210  " + (dir / "one.bmp").string() +
                           "\n--black 100,60,220 --white 199,61,221  " +
                           (dir / "two.bmp").string() +
                           "\n--black 0,50,200 --white 199,60,220  (all 2 files)\n");
}

// Ctrl+C in the middle of a roll of big files, to the real program.
TEST(Roll, InterruptedLeavesEveryFileWholeAndNoTemporaryFile) {
    tests::TempDir dir;
    std::vector<std::string> args = {TINTWELL_BATCH_PROGRAM, "--black",    "12,41,77", "--white",
                                     "201,188,230",          "--in-place", "--jobs",   "2"};
    const engine::PixelBuffer picture = tests::Pattern(2500, 2000);
    for (int i = 0; i < 8; ++i) {
        const fs::path file = dir / ("frame" + std::to_string(i) + ".bmp");
        document::WriteBmp(picture, file);
        args.push_back(file.string());
    }
    const auto original = tests::ReadBytes(dir / "frame0.bmp");
    const auto corrected = WindowsBytes(picture, dir.Path());
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    char first[1];
    ASSERT_EQ(read(out[0], first, 1), 1);  // the first file is done
    kill(child, SIGINT);
    while (read(out[0], first, 1) == 1) {
    }
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    int done = 0, untouched = 0;
    for (int i = 0; i < 8; ++i) {
        const auto bytes = tests::ReadBytes(dir / ("frame" + std::to_string(i) + ".bmp"));
        done += bytes == corrected;
        untouched += bytes == original;
    }
    EXPECT_EQ(done + untouched, 8);
    EXPECT_GE(done, 1);
    EXPECT_GE(untouched, 1);
    EXPECT_EQ(Names(dir.Path()).size(), 8u);  // no temporary file left
}

}  // namespace
}  // namespace tintwell::batch
