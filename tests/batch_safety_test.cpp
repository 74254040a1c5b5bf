// The roll program never loses a file: no destination is an input, a file that changes while it
// is worked on is refused, a typo or a closed pipe or a signal or a lack of memory destroys
// nothing, and no temporary file survives. Run as a user runs it, where that is how a fault shows.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <functional>
#include <iterator>
#include <new>
#include <sstream>
#include <thread>

#include "batch/options.h"
#include "batch/roll.h"
#include "bmp_test_files.h"
#include "document/bmp/writer.h"
#include "document/roll_work.h"
#include "program_runner.h"
#include "step_file_system.h"
#include "temp_dir.h"

// The replaced new and delete below are a pair; GCC sees only malloc meeting delete.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Allocations of a quarter megabyte and more fail while this is set, as they do under memory
// pressure: everywhere, or only on threads other than the test's.
enum class Starved { No, Everywhere, OffTheTestThread };
static std::atomic<Starved> g_starved{Starved::No};
static const std::thread::id g_testThread = std::this_thread::get_id();

void* operator new(std::size_t size) {
    const Starved starved = g_starved.load();
    if (starved != Starved::No && size >= (std::size_t{1} << 18) &&
        (starved == Starved::Everywhere || std::this_thread::get_id() != g_testThread))
        throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace tintwell::batch {
namespace {

using document::CorrectFile;
using document::Outcome;

namespace fs = std::filesystem;

const engine::Levels kLevels =
    engine::CalcFactors({"12", "41", "77"}, {"201", "188", "230"}).levels;

std::vector<std::uint8_t> BytesOf(const engine::PixelBuffer& picture) {
    tests::TempDir dir;
    document::WriteBmp(picture, dir / "p.bmp");
    return tests::ReadBytes(dir / "p.bmp");
}

// A picture file as it was written an hour ago: a rewrite now gives it another time.
void WriteAged(const engine::PixelBuffer& picture, const fs::path& path) {
    document::WriteBmp(picture, path);
    const timespec hourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), hourAgo, 0);
}

// What a file must be after the run.
enum class State { Original, Corrected, Either };

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

struct RunCase {
    const char* name;
    std::string files;  // pictures made in the folder first, then the arguments, by spaces
    std::string args;
    int status;
    std::string err;  // what standard error says, or holds for interrupted runs
    std::vector<std::pair<std::string, State>> after;
    std::function<void(const fs::path& dir)> prepare = nullptr;  // links, pipes, folders
    tests::Output output = tests::Output::File;
    int signal = 0;
};

void PrintTo(const RunCase& c, std::ostream* out) {
    *out << c.name;
}

class ProgramRun : public ::testing::TestWithParam<RunCase> {};

TEST_P(ProgramRun, LeavesEveryFileWholeAndSaysWhy) {
    const RunCase& c = GetParam();
    // Big enough that the program is still at work when the reader goes: output already taken
    // by the pipe when its reader leaves is not lost to the program, which then rightly ends
    // well (that made the closed-pipe row fail now and then).
    const bool big =
        c.output == tests::Output::SignalAfterLine || c.output == tests::Output::ClosedAfterLine;
    const engine::PixelBuffer picture = big ? tests::Pattern(2500, 2000) : tests::Pattern(23, 17);
    const auto original = BytesOf(picture), corrected = BytesOf(tests::Corrected(picture, kLevels));
    tests::TempDir dir;
    for (const std::string& f : Words(c.files)) {
        fs::create_directories((dir / f).parent_path());
        document::WriteBmp(picture, dir / f);
    }
    if (c.prepare) c.prepare(dir.Path());
    std::size_t entries = std::distance(fs::recursive_directory_iterator(dir.Path()), {});
    for (const auto& [file, state] : c.after) entries += !fs::exists(dir / file);  // outputs
    std::vector<std::string> args = Words(c.args);
    args.insert(args.begin(), TINTWELL_BATCH_PROGRAM);

    const tests::Ran ran = tests::RunProgram(dir.Path(), args, c.output, c.signal);

    EXPECT_EQ(ran.status, c.status) << ran.err;
    if (c.signal != 0) {
        EXPECT_NE(ran.err.find(c.err), std::string::npos) << ran.err;
    } else {
        EXPECT_EQ(ran.err, c.err);
    }
    int originals = 0, corrections = 0;
    for (const auto& [file, state] : c.after) {
        const auto bytes = tests::ReadBytes(dir / file);
        originals += bytes == original;
        corrections += bytes == corrected;
        if (state == State::Either) {
            EXPECT_TRUE(bytes == original || bytes == corrected) << file;
        } else {
            EXPECT_EQ(bytes, state == State::Original ? original : corrected) << file;
        }
    }
    if (c.signal != 0) {
        EXPECT_GT(corrections, 0);
        // A pass running when the signal comes is given up, not finished.
        EXPECT_TRUE(c.signal == SIGKILL || originals > 0);
    }
    // No temporary file, named or not, is left behind, nor any file but the outputs.
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(dir.Path()), {}), entries);
}

const std::string kApply = "--black 12,41,77 --white 201,188,230 ";

// A name of 250 bytes, legal on every Linux file system: the temporary name must not add to it.
const std::string kLongName = [] {
    std::string name;
    for (int i = 0; i < 82; ++i) name += "\xE5\x86\x99";  // 写
    return name + ".bmp";
}();

const std::string kRoll = "f1.bmp f2.bmp f3.bmp f4.bmp f5.bmp f6.bmp f7.bmp f8.bmp";

std::vector<std::pair<std::string, State>> Each(const std::string& files, State state) {
    std::vector<std::pair<std::string, State>> after;
    for (const auto& f : Words(files)) after.emplace_back(f, state);
    return after;
}

RunCase Interrupted(const char* name, int signal, int status) {
    return {name,
            kRoll,
            kApply + "--in-place --jobs 2 " + kRoll,
            status,
            signal == SIGKILL ? "" : "tintwell-batch: interrupted",
            Each(kRoll, State::Either),
            nullptr,
            tests::Output::SignalAfterLine,
            signal};
}

std::string OverOriginal(const std::string& what) {
    return "tintwell-batch: --output would write over an original: " + what +
           ". Nothing was written; choose another folder, or --in-place.\n";
}

void MakeOut(const fs::path& dir) {
    fs::create_directory(dir / "out");
}

const std::string kNoStdout =
    "tintwell-batch: the results could not all be written to standard output\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramRun,
    ::testing::Values(
        RunCase{"output_into_its_own_folder", "a.bmp", kApply + "--output . a.bmp", 2,
                OverOriginal("./a.bmp is a.bmp"), Each("a.bmp", State::Original)},
        RunCase{"output_holding_an_input", "a.bmp out/a.bmp",
                kApply + "--output out a.bmp out/a.bmp", 2, OverOriginal("out/a.bmp is out/a.bmp"),
                Each("a.bmp out/a.bmp", State::Original)},
        RunCase{"output_name_a_link_to_an_input", "a.bmp", kApply + "--output out a.bmp", 2,
                OverOriginal("out/a.bmp is a.bmp"), Each("a.bmp", State::Original),
                [](const fs::path& dir) {
                    MakeOut(dir);
                    fs::create_symlink("../a.bmp", dir / "out/a.bmp");
                }},
        RunCase{"output_name_a_hard_link_to_an_input", "a.bmp", kApply + "--output out a.bmp", 2,
                OverOriginal("out/a.bmp is a.bmp"), Each("a.bmp", State::Original),
                [](const fs::path& dir) {
                    MakeOut(dir);
                    fs::create_hard_link(dir / "a.bmp", dir / "out/a.bmp");
                }},
        // A proxy replaces only a proxy it made, and never writes through a link.
        RunCase{"proxy_over_the_users_own_bitmap", "frame.tif frame.bmp", "--proxy . frame.tif", 2,
                "tintwell-batch: --proxy would replace a file it did not make: ./frame.bmp. "
                "Nothing was written; choose another folder, or move that file away.\n",
                Each("frame.tif frame.bmp", State::Original)},
        RunCase{"proxy_through_a_link", "a.bmp mine.bmp", "--proxy out a.bmp", 2,
                "tintwell-batch: --proxy would write through a link: out/a.bmp is one. Nothing "
                "was written; choose another folder, or remove the link.\n",
                Each("a.bmp mine.bmp", State::Original),
                [](const fs::path& dir) {
                    MakeOut(dir);
                    fs::create_symlink("../mine.bmp", dir / "out/a.bmp");
                }},
        RunCase{"proxy_over_an_earlier_proxy", "a.bmp", "--proxy out a.bmp", 0, "",
                Each("a.bmp", State::Original),
                [](const fs::path& dir) {
                    MakeOut(dir);
                    std::vector<std::uint8_t> proxy = tests::ReadBytes(dir / "a.bmp");
                    std::copy_n("TWPX", 4, proxy.begin() + 6);  // the mark in the reserved field
                    tests::WriteBytes(dir / "out/a.bmp", proxy);
                }},
        RunCase{"in_place_twice_through_a_link", "a.bmp", kApply + "--in-place a.bmp link.bmp", 1,
                "link.bmp: a.bmp is written to link.bmp already; this one is left out\n",
                Each("a.bmp", State::Corrected),
                [](const fs::path& dir) { fs::create_symlink("a.bmp", dir / "link.bmp"); }},
        RunCase{"a_pipe_among_the_files", "a.bmp", kApply + "--in-place f.bmp a.bmp", 1,
                "f.bmp: it is not a regular file (a pipe, a "
                "device or a socket)\n",
                Each("a.bmp", State::Corrected),
                [](const fs::path& dir) { ::mkfifo((dir / "f.bmp").c_str(), 0600); }},
        // Good files corrected, the rest named in the order given, an output folder there
        // already, and of two inputs of the same name the second left out.
        RunCase{"mixed_roll",
                "a.bmp b.bmp sub/a.bmp b.jpg",
                kApply + "--output out --jobs 3 a.bmp damaged.bmp b.jpg folder.bmp sub/a.bmp b.bmp",
                1,
                "damaged.bmp: the file is too short to be a bitmap\nb.jpg: I only take BMP, TIFF, "
                "PNG and camera raw files\nfolder.bmp: it is a folder, not a file\nsub/a.bmp: "
                "a.bmp is written to out/a.bmp already; this one is left out\n",
                {{"out/a.bmp", State::Corrected},
                 {"out/b.bmp", State::Corrected},
                 {"sub/a.bmp", State::Original}},
                [](const fs::path& dir) {
                    MakeOut(dir);
                    fs::create_directory(dir / "folder.bmp");
                    tests::WriteBytes(dir / "damaged.bmp", {'B', 'M', 7});
                }},
        RunCase{"longest_name", kLongName, kApply + "--in-place " + kLongName, 0, "",
                Each(kLongName, State::Corrected)},
        RunCase{"suggestions_to_a_full_disk", "a.bmp", "--suggest a.bmp", 1, kNoStdout,
                Each("a.bmp", State::Original), nullptr, tests::Output::Full},
        RunCase{"report_into_a_closed_pipe", "a.bmp b.bmp c.bmp d.bmp e.bmp f.bmp",
                kApply + "--in-place --jobs 1 a.bmp b.bmp c.bmp d.bmp e.bmp f.bmp", 1, kNoStdout,
                Each("a.bmp b.bmp c.bmp d.bmp e.bmp f.bmp", State::Corrected), nullptr,
                tests::Output::ClosedAfterLine},
        Interrupted("interrupt", SIGINT, 130), Interrupted("terminate", SIGTERM, 130),
        Interrupted("hang_up", SIGHUP, 130), Interrupted("kill", SIGKILL, 128 + SIGKILL)),
    [](const auto& info) { return std::string(info.param.name); });

enum class Meddling { Rewrite, MoveOver, MakeDestination, RewriteDestination };

struct ChangeCase {
    const char* name;
    bool inPlace;
    tests::Step at;  // what another program acts just before
    Meddling what;
    const char* line;  // after "IN: ", where IN and OUT stand for the two paths
};

void PrintTo(const ChangeCase& c, std::ostream* out) {
    *out << c.name;
}

class ChangedWhileWorkedOn : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(ChangedWhileWorkedOn, IsRefusedAndLeftAsItIsNow) {
    const ChangeCase& c = GetParam();
    tests::TempDir dir;
    const fs::path input = dir / "a.bmp", output = dir / "out.bmp";
    const fs::path target = c.inPlace ? input : output;
    const engine::PixelBuffer picture = tests::Pattern(700, 600);    // read in two chunks
    const auto other = BytesOf(tests::Corrected(picture, kLevels));  // the same size
    WriteAged(picture, input);
    if (c.what == Meddling::RewriteDestination) WriteAged(picture, output);
    tests::StepFileSystem system(c.at, [&] {
        if (c.what == Meddling::Rewrite) tests::WriteBytes(input, other);
        if (c.what == Meddling::MoveOver) {
            tests::WriteBytes(dir / "new.bmp", other);
            fs::rename(dir / "new.bmp", input);
        }
        if (c.what == Meddling::MakeDestination || c.what == Meddling::RewriteDestination)
            tests::WriteBytes(output, other);
    });
    const std::atomic<bool> stop{false};

    const Outcome outcome = CorrectFile(input.string(), kLevels, {target, c.inPlace}, stop, system);

    EXPECT_EQ(outcome.kind, Outcome::Kind::Refused);
    std::string line = c.line;
    for (const auto& [name, path] : {std::pair{"IN", input}, {"OUT", output}}) {
        if (const auto at = line.find(name); at != std::string::npos)
            line.replace(at, std::string(name).size(), path.string());
    }
    EXPECT_EQ(outcome.line, input.string() + ": " + line);
    const bool destination =
        c.what == Meddling::MakeDestination || c.what == Meddling::RewriteDestination;
    EXPECT_EQ(tests::ReadBytes(input), destination ? BytesOf(picture) : other);
    EXPECT_EQ(fs::exists(output), destination);
    if (fs::exists(output)) {
        EXPECT_EQ(tests::ReadBytes(output), other);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 1 + fs::exists(output));
}

using tests::Step;

const char* const kReadChanged = "it changed while it was worked on; it is left as it is now";

INSTANTIATE_TEST_SUITE_P(
    Cases, ChangedWhileWorkedOn,
    ::testing::Values(
        ChangeCase{"rewritten_while_read", true, Step::Read, Meddling::Rewrite, kReadChanged},
        ChangeCase{"rewritten_while_read_for_output", false, Step::Read, Meddling::Rewrite,
                   kReadChanged},
        ChangeCase{"rewritten_before_the_save_starts", true, Step::Stat, Meddling::Rewrite,
                   "Can't save IN: the file changed while it was worked on. It is left as it "
                   "is now."},
        ChangeCase{"rewritten_before_the_save_starts_for_output", false, Step::Stat,
                   Meddling::Rewrite, "it changed while it was worked on; nothing was written"},
        ChangeCase{"moved_over_while_written", true, Step::FirstWrite, Meddling::MoveOver,
                   "Can't save IN: the file changed while it was worked on. It is left as it "
                   "is now."},
        ChangeCase{"rewritten_before_the_rename", true, Step::Sync, Meddling::Rewrite,
                   "it changed while it was worked on; it is left as it is now"},
        ChangeCase{"rewritten_before_the_rename_for_output", false, Step::Sync, Meddling::Rewrite,
                   "it changed while it was worked on; nothing was written"},
        ChangeCase{"destination_made_meanwhile", false, Step::FirstWrite, Meddling::MakeDestination,
                   "Can't save OUT: the file changed while it was worked on. It is left as "
                   "it is now."},
        ChangeCase{"destination_rewritten_before_the_rename", false, Step::Sync,
                   Meddling::RewriteDestination,
                   "Can't save OUT: the file changed while it was worked on. It is left as "
                   "it is now."}),
    [](const auto& info) { return std::string(info.param.name); });

// Memory may run out on the thread that reads a file or on one of its helpers (a big bitmap is
// read in bands, a thread each).
TEST(Roll, RunningOutOfMemoryRefusesTheFileAndGoesOn) {
    tests::TempDir dir;
    const engine::PixelBuffer picture = tests::Pattern(2000, 1000);
    const bool helped = std::thread::hardware_concurrency() > 1;
    const std::atomic<bool> stop{false};
    for (const Starved starved : {Starved::Everywhere, Starved::OffTheTestThread}) {
        document::WriteBmp(picture, dir / "a.bmp");
        g_starved = starved;
        const Outcome outcome =
            CorrectFile((dir / "a.bmp").string(), kLevels, {dir / "a.bmp", true}, stop);
        g_starved = Starved::No;
        if (starved == Starved::Everywhere || helped) {
            EXPECT_EQ(outcome.line, (dir / "a.bmp").string() + ": there is not enough memory");
            EXPECT_EQ(tests::ReadBytes(dir / "a.bmp"), BytesOf(picture));
        }
    }
    const Outcome fed = CorrectFile((dir / "a.bmp").string(), kLevels, {dir / "a.bmp", true}, stop);
    EXPECT_EQ(fed.kind, Outcome::Kind::Done);
    EXPECT_EQ(tests::ReadBytes(dir / "a.bmp"), BytesOf(tests::Corrected(picture, kLevels)));
}

}  // namespace
}  // namespace tintwell::batch
