#pragma once

// Checks that a file went through the roll program as it must: every sample corrected by the
// rule at its own depth, and its kind and metadata as they were.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <sstream>
#include <tuple>

#include "batch/options.h"
#include "batch/roll.h"
#include "document/intake.h"
#include "document/reason.h"
#include "document/roll_work.h"
#include "engine/pixel_rule.h"
#include "file_walkers.h"
#include "program_runner.h"
#include "temp_dir.h"

namespace tintwell::tests {

namespace fs = std::filesystem;

// The roll program run in this process on the arguments, as its main runs it.
inline Ran Roll(const std::vector<std::string>& args) {
    const batch::Parsed p = batch::ParseOptions(args, 2);
    if (!p.options) return {p.status, p.out, p.err};
    std::ostringstream out, err;
    const std::atomic<bool> stop{false};
    const int status = batch::RunRoll(*p.options, out, err, false, stop);
    return {status, out.str(), err.str()};
}

inline int Sample(const engine::PixelBuffer& p, int x, int y, int s) {
    const std::size_t at = static_cast<std::size_t>(x) * p.GetLayout().samples + s;
    return p.GetLayout().bits == 8 ? p.Bytes(y)[at]
                                   : reinterpret_cast<const std::uint16_t*>(p.Bytes(y))[at];
}

// The metadata of a TIFF as it was read, and as it was written: every tag the same, type, count
// and value byte for byte, but those that say where the pixel data lies and how it is cut up,
// and the smallest and largest sample values, which the correction changes.
inline ::testing::AssertionResult SameTiffMetadata(const TiffFile& a, const TiffFile& b) {
    // Alpha said the old way (32995) is said the new way (338), compared as the layout.
    static const std::set<int> kWhereThePixelsAre = {273, 278,   279,   284,   322,   323, 324,
                                                     325, 32995, 34665, 34853, 40965, 513};
    static const std::set<int> kChanged = {280, 281, 340, 341};
    // Written anew from the picture, in whatever integer type fits: compared by value.
    static const std::set<int> kFromThePicture = {256, 257, 258, 259, 262, 277, 317, 338, 339};
    if (b.directories != 1 || a.bigEndian != b.bigEndian || a.big != b.big)
        return ::testing::AssertionFailure() << "directories, byte order or variant differ";
    if (a.thumbnail != b.thumbnail) return ::testing::AssertionFailure() << "thumbnails differ";
    for (const auto& [name, from, to] :
         {std::tuple{"main", &a.main, &b.main}, std::tuple{"EXIF", &a.exif, &b.exif},
          std::tuple{"GPS", &a.gps, &b.gps},
          std::tuple{"interoperability", &a.interoperability, &b.interoperability}}) {
        for (const auto& [tag, entry] : *from) {
            if (kChanged.count(tag) && to->count(tag))
                return ::testing::AssertionFailure() << name << " tag " << tag << " is kept";
            if (kWhereThePixelsAre.count(tag) || kChanged.count(tag)) continue;
            if (!to->count(tag))
                return ::testing::AssertionFailure() << name << " tag " << tag << " is lost";
            const TiffEntry& other = to->at(tag);
            const bool same = kFromThePicture.count(tag)
                                  ? entry.numbers == other.numbers
                                  : entry.type == other.type && entry.count == other.count &&
                                        entry.raw == other.raw;
            if (!same) return ::testing::AssertionFailure() << name << " tag " << tag << " differs";
        }
        for (const auto& [tag, entry] : *to) {
            const bool renamedAlpha = tag == 338 && from->count(32995);
            if (!from->count(tag) && !kWhereThePixelsAre.count(tag) && !renamedAlpha)
                return ::testing::AssertionFailure() << name << " tag " << tag << " is new";
        }
    }
    return ::testing::AssertionSuccess();
}

// The chunks of a PNG that describe its picture, in order, where they stand against the pixels:
// every one but the pixels' own and those whose meaning the correction changes.
inline std::vector<std::pair<std::string, std::string>> DescribingChunks(const fs::path& file) {
    static const std::set<std::string> kNotKept = {"IHDR", "IEND", "PLTE", "bKGD", "hIST",
                                                   "pCAL", "sBIT", "sPLT", "tIME", "dSIG"};
    std::vector<std::pair<std::string, std::string>> out;
    for (auto& c : WalkPng(ReadBytes(file))) {
        if (c.first == "IDAT") c.second.clear();  // where the pixels stand, not what they are
        if (kNotKept.count(c.first) || (c.first == "IDAT" && !out.empty() && out.back() == c))
            continue;
        out.push_back(c);
    }
    return out;
}

inline ::testing::AssertionResult SamePngChunks(const fs::path& read, const fs::path& written) {
    const auto before = DescribingChunks(read), after = DescribingChunks(written);
    for (std::size_t i = 0; i < std::max(before.size(), after.size()); ++i) {
        if (i >= before.size() || i >= after.size() || before[i] != after[i])
            return ::testing::AssertionFailure()
                   << "chunk " << i
                   << " differs: " << (i < before.size() ? before[i].first : "none") << " against "
                   << (i < after.size() ? after[i].first : "none");
    }
    return ::testing::AssertionSuccess();
}

inline engine::Levels LevelsFor(const engine::Layout& layout) {
    return layout.IsGrey() ? engine::CalcFactors({"30", "30", "30"}, {"220", "220", "220"}).levels
                           : engine::CalcFactors({"12", "41", "77"}, {"201", "188", "230"}).levels;
}

inline ::testing::AssertionResult CorrectedByTheRule(const engine::PixelBuffer& before,
                                                     const engine::PixelBuffer& after,
                                                     const engine::Levels& levels) {
    const engine::Layout& l = before.GetLayout();
    if (after.GetLayout() != l || after.Width() != before.Width() ||
        after.Height() != before.Height())
        return ::testing::AssertionFailure() << "the layout or size changed";
    for (int y = 0; y < before.Height(); ++y) {
        for (int x = 0; x < before.Width(); ++x) {
            for (int s = 0; s < l.samples; ++s) {
                const engine::Role role = l.roles[s];
                const int c = role == engine::Role::Green ? 1 : role == engine::Role::Blue ? 2 : 0;
                const int v = Sample(before, x, y, s);
                const int want = role == engine::Role::Alpha ? v
                                 : l.bits == 8
                                     ? engine::LevelChannel(v, levels.black[c], levels.factor[c])
                                     : engine::LevelSample16(v, levels.black[c], levels.factor[c]);
                if (Sample(after, x, y, s) != want)
                    return ::testing::AssertionFailure()
                           << "sample " << s << " at " << x << "," << y;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// The file corrected into `folder` under its own name, and checked.
inline ::testing::AssertionResult CorrectsExactly(const fs::path& file, const fs::path& folder) {
    auto before = document::TakeIn(file.string(), document::Names::Pictures);
    if (!before) return ::testing::AssertionFailure() << document::Reason(before.Failure());
    const engine::PixelBuffer& pixels = before.Value().picture.pixels;
    const engine::Levels levels = LevelsFor(pixels.GetLayout());
    const std::atomic<bool> stop{false};
    const fs::path to = folder / file.filename();
    const document::Outcome done = document::CorrectFile(file.string(), levels, {to, false}, stop);
    if (done.kind != document::Outcome::Kind::Done)
        return ::testing::AssertionFailure() << done.line;
    auto after = document::TakeIn(to.string(), document::Names::Pictures);
    if (!after) return ::testing::AssertionFailure() << document::Reason(after.Failure());
    if (auto same = CorrectedByTheRule(pixels, after.Value().picture.pixels, levels); !same)
        return same;
    return file.extension() == ".png"
               ? SamePngChunks(file, to)
               : SameTiffMetadata(WalkTiff(ReadBytes(file)), WalkTiff(ReadBytes(to)));
}

}  // namespace tintwell::tests
