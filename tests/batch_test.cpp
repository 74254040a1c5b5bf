// tintwell-batch: its command line, a mixed roll, the suggestions, and the files it must never
// lose, run as a user runs it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <sstream>

#include "batch/options.h"
#include "batch/roll.h"
#include "bmp_test_files.h"
#include "document/bmp/writer.h"
#include "document/roll_pool.h"
#include "program_runner.h"
#include "round_trip.h"
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

std::vector<std::string> Points(const std::string& black, const std::string& white) {
    return {"--black", black, "--white", white, "--in-place", "a.bmp"};
}

std::vector<std::string> Negative(const std::string& base, const std::string& shadows,
                                  const std::string& highlights,
                                  const std::string& contrast = "2") {
    return {"--negative", "--film-base", base,     "--shadows", shadows, "--highlights",
            highlights,   "--contrast",  contrast, "--output",  "d",     "a.tif"};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLine,
    ::testing::Values(
        OptionCase{{"--black", "1,2,3", "--white", "200,200,200", "a.bmp"}, 2, "--in-place"},
        OptionCase{Points("1,2", "200,200,200"), 2, "three numbers"},
        OptionCase{Points("1,2,3,4", "9,9,9"), 2, "R,G,B"},
        OptionCase{{"--black", "1,2,3", "--white", "9,9,9", "--in-place"}, 2, "FILE"},
        OptionCase{{"--jobs", "0", "--suggest", "a.bmp"}, 2, "--jobs"},
        OptionCase{{"--in-place", "--output", "d", "--black", "1,2,3", "--white", "9,9,9", "a"},
                   2,
                   "excludes"},
        OptionCase{{"--suggest", "--black", "1,2,3", "a.bmp"}, 2, "writes nothing"},
        OptionCase{{"--suggest", "--clip", "101", "a.bmp"}, 2, "--clip"},
        // Settings that leave nothing to count, or nothing between the two ends, mean nothing.
        OptionCase{{"--suggest", "--clip", "100", "a.bmp"}, 2, "under 100% in all"},
        OptionCase{{"--suggest", "--clip", "0,100", "a.bmp"}, 2, "under 100% in all"},
        OptionCase{{"--suggest", "--margin", "50", "a.bmp"}, 2, "leaves nothing to count"},
        OptionCase{{"--suggest", "--clip", "49,50.9", "--margin", "49.99", "a.bmp"}, -1, ""},
        OptionCase{{"--clip", "1", "--black", "1,2,3", "--white", "9,9,9", "--in-place", "a"},
                   2,
                   "go with --suggest"},
        OptionCase{{"--help"}, 0, "--suggest"},
        // The six numbers are strict: a typo stops the run before any file is read.
        OptionCase{Points("0,0,0", "-1,255,255"), 2,
                   "--white: \"-1\" (red) is not a plain number: digits, with at most one decimal "
                   "point"},
        OptionCase{Points("0,1e5,0", "9,9,9"), 2, "--black: \"1e5\" (green) is not a plain number"},
        OptionCase{Points("1O,0,0", "90,90,90"), 2, "--black: \"1O\" (red) is not a plain"},
        OptionCase{Points("&HF,0,0", "90,90,90"), 2, "--black: \"&HF\" (red) is not a plain"},
        OptionCase{Points("0,,0", "90,90,90"), 2, "--black: \"\" (green) is not a plain"},
        OptionCase{Points("0,0,1.2.3", "90,90,90"), 2, "--black: \"1.2.3\" (blue) is not"},
        OptionCase{Points("0,0,0", "90, 9,90"), 2, "--white: \" 9\" (green) is not a plain"},
        OptionCase{Points("0,0,255.5", "90,90,256"), 2,
                   "--black: \"255.5\" (blue) is out of range; black points go from 0 to 255"},
        OptionCase{Points("0,0,0", "90,90,255.01"), 2,
                   "--white: \"255.01\" (blue) is out of range; white points go from 1 to 255"},
        OptionCase{Points("0,0,0", "0.99,90,90"), 2, "--white: \"0.99\" (red) is out of range"},
        OptionCase{Points("10,20,30", "90,20,90"), 2,
                   "--white: \"20\" (green) is not above its black point \"20\""},
        OptionCase{Points("0,254.5,.5", "1,255,1."), -1, ""},
        OptionCase{Points("255,0,0", "255,1,1"), 2, "(red) is not above its black point"},
        // A negative's settings are as strict.
        OptionCase{Negative("1,65535,30000.5", "0,0,3.99", "0.001,4,4", "0.5"), -1, ""},
        OptionCase{Negative("0,9,9", "0,0,0", "1,1,1"), 2,
                   "--film-base: \"0\" (red) is out of range; film bases go from 1 to 65535"},
        OptionCase{Negative("9,9,65536", "0,0,0", "1,1,1"), 2, "\"65536\" (blue) is out of range"},
        OptionCase{Negative("9,9,9", "0,x,0", "1,1,1"), 2,
                   "--shadows: \"x\" (green) is not a plain number"},
        OptionCase{Negative("9,9,9", "0,0,0", "1,1,4.01"), 2,
                   "--highlights: \"4.01\" (blue) is out of range; densities go from 0 to 4"},
        OptionCase{Negative("9,9,9", "0.5,0,0", "0.5,1,1"), 2,
                   "--highlights: \"0.5\" (red) is not above its shadow density \"0.5\""},
        OptionCase{Negative("9,9,9", "0,0,0", "1,1,1", "4.5"), 2,
                   "--contrast: \"4.5\" is out of range; the contrast goes from 0.5 to 4"},
        OptionCase{Negative("9,9,9", "0,0", "1,1,1"), 2, "--shadows takes three numbers"},
        OptionCase{{"--mono", "--black", "1,2,3", "--white", "9,9,9", "--in-place", "a"},
                   2,
                   "go with --negative"},
        OptionCase{{"--negative", "--film-base", "9,9,9", "--black", "1,2,3", "--in-place", "a"},
                   2,
                   "not --black and --white"},
        OptionCase{{"--negative", "--film-base", "9,9,9", "--in-place", "a"},
                   2,
                   "needs --film-base, --shadows and --highlights"},
        OptionCase{
            {"--suggest", "--negative", "a.dng"}, 2, "--suggest --negative needs --film-base"},
        OptionCase{{"--suggest", "--negative", "--film-base", "9,9,9", "--shadows", "0,0,0", "a"},
                   2,
                   "suggests the shadows and highlights"},
        OptionCase{
            {"--suggest", "--negative", "--film-base", "9,9,9", "--mono", "a.dng"}, -1, ""}));

// What the runs do not show by themselves: the points settled by the window's rule (12.7 is
// 12), and one clip for both ends.
TEST(CommandLine, KeepsTheTextsForTheRuleAndDefaults) {
    const Parsed p = ParseOptions(Points("12.7,15,0", "100,100.5,9"), 3);
    ASSERT_TRUE(p.options);
    const engine::Levels& levels = p.options->job.levels;
    EXPECT_EQ(levels.black, (engine::PerChannel<std::int16_t>{12, 15, 0}));
    EXPECT_EQ(levels.factor, (engine::PerChannel<float>{255.0f / 88, 255.0f / 85.5f, 255.0f / 9}));
    const Parsed one = ParseOptions({"--suggest", "--clip", "3", "x.bmp"}, 1);
    ASSERT_TRUE(one.options);
    EXPECT_EQ(one.options->job.lowClip, 3.0);
    EXPECT_EQ(one.options->job.highClip, 3.0);
}

// A stop lets the running files finish or give up, and starts no other.
TEST(Pool, StartsNoFileAfterAStop) {
    using document::Outcome;
    std::atomic<bool> stop{false};
    document::Pool pool(5, 1, stop);
    std::vector<std::size_t> worked;
    pool.Run(
        [&](std::size_t i) {
            worked.push_back(i);
            stop = i == 1;
            return Outcome{Outcome::Kind::Done, ""};
        },
        [](std::size_t, const Outcome&) {}, [](std::size_t) {});
    EXPECT_EQ(worked, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(pool.Unstarted(), 3u);
}

using tests::Roll;

// Red from `red` on (one value a column), green `green`, blue `blue`; `rebate` columns on the
// left hold the film's unexposed edge (black), as a frame scanned off-centre shows it.
struct Frame {
    int red = 0, green = 0, blue = 0, rebate = 0;

    engine::PixelBuffer Picture() const {
        engine::PixelBuffer p = *engine::PixelBuffer::Allocate(100, 10);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 100; ++x)
                p.Row(y)[x] = x < rebate ? engine::PackPixel(0, 0, 0)
                                         : engine::PackPixel(red + x, green, blue + x / 50 * 10);
        }
        return p;
    }
};

struct SuggestCase {
    const char* name;
    std::vector<Frame> frames;
    std::vector<std::string> options;
    std::string roll;  // the last line
    std::string err;   // each frame named, by its number, that lies far from the roll
};

void PrintTo(const SuggestCase& c, std::ostream* out) {
    *out << c.name;
}

class Suggestion : public ::testing::TestWithParam<SuggestCase> {};

// Each frame's points, then the roll's: per channel the median of the frames' (the mean of the
// middle two, halves to even), which one odd frame moves little; the odd frame is named.
TEST_P(Suggestion, GivesEachFramesPointsAndTheMedianForTheRoll) {
    const SuggestCase& c = GetParam();
    tests::TempDir dir;
    std::vector<std::string> args = {"--suggest"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    for (std::size_t i = 0; i < c.frames.size(); ++i) {
        const fs::path file = dir / (std::to_string(i) + ".bmp");
        document::WriteBmp(c.frames[i].Picture(), file);
        args.push_back(file.string());
    }
    const tests::Ran run = Roll(args);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::size_t last = run.out.rfind('\n', run.out.size() - 2);
    EXPECT_EQ(run.out.substr(last + 1), c.roll + "\n");
    std::string err = run.err;
    for (std::size_t i = 0; i < c.frames.size(); ++i) {
        const std::string path = (dir / std::to_string(i)).string();
        std::string mark = "#";
        mark += std::to_string(i);
        for (std::size_t at; (at = err.find(path)) != std::string::npos;)
            err.replace(at, path.size(), mark);
    }
    EXPECT_EQ(err, c.err);
}

const char* const kOdd =
    "; it may show more of the film's edge than --margin leaves out, or belong to another roll. "
    "The roll's points are the frames' medians, which it moves little.\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, Suggestion,
    ::testing::Values(
        SuggestCase{"one_frame",
                    {Frame{20, 50, 150}},
                    {"--margin", "0"},
                    "--black 20,50,150 --white 119,51,160  (1 file)",
                    ""},
        SuggestCase{"two_frames_far_apart",
                    {Frame{0, 50, 150}, Frame{100, 60, 170}},
                    {"--margin", "0"},
                    "--black 50,55,160 --white 149,56,170  (all 2 files)",
                    "tintwell-batch: #0.bmp: its red black point 0 lies far from the roll's 50" +
                        std::string(kOdd) +
                        "tintwell-batch: #1.bmp: its red black point 100 lies far from the "
                        "roll's 50" +
                        kOdd},
        // A frame whose rebate is wider than the border (7% on one side against 5%).
        SuggestCase{"one_frame_with_a_wide_rebate",
                    {Frame{20, 70, 80}, Frame{22, 71, 81}, Frame{20, 70, 80, 7}, Frame{23, 72, 83},
                     Frame{21, 70, 80}},
                    {},
                    "--black 26,70,80 --white 115,71,90  (all 5 files)",
                    "tintwell-batch: #2.bmp: its red black point 0 lies far from the roll's 26" +
                        std::string(kOdd)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tintwell::batch
