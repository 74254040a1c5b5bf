#pragma once

// Checks that a file went through the roll program as it must: every sample corrected by the
// rule at its own depth, and its kind and metadata as they were.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <tuple>

#include "batch/work.h"
#include "document/intake.h"
#include "document/reason.h"
#include "engine/pixel_rule.h"
#include "file_walkers.h"
#include "temp_dir.h"

namespace tintwell::tests {

namespace fs = std::filesystem;

inline int Sample(const engine::PixelBuffer& p, int x, int y, int s) {
    const std::size_t at = static_cast<std::size_t>(x) * p.GetLayout().samples + s;
    return p.GetLayout().bits == 8 ? p.Bytes(y)[at]
                                   : reinterpret_cast<const std::uint16_t*>(p.Bytes(y))[at];
}

// The metadata of a TIFF as it was read, and as it was written: the same values, but for where
// the pixel data lies and how it is cut up.
inline ::testing::AssertionResult SameTiffMetadata(const TiffFile& a, const TiffFile& b) {
    // Where the pixels lie and how they are cut up; alpha said the old way (32995) or the new
    // (338), compared as the layout; YCbCr positioning, which only YCbCr pictures use.
    static const std::set<int> kWhereThePixelsAre = {
        273, 278, 279, 284, 322, 323, 324, 325, 280, 281, 338, 531, 32995, 34665, 34853, 40965};
    if (b.directories != 1 || a.bigEndian != b.bigEndian || a.big != b.big)
        return ::testing::AssertionFailure() << "directories, byte order or variant differ";
    for (const auto& [name, from, to] :
         {std::tuple{"main", &a.main, &b.main}, std::tuple{"EXIF", &a.exif, &b.exif},
          std::tuple{"GPS", &a.gps, &b.gps}}) {
        for (const auto& [x, y] : {std::pair{from, to}, std::pair{to, from}}) {
            for (const auto& [tag, entry] : *x) {
                if (kWhereThePixelsAre.count(tag)) continue;
                if (!y->count(tag))
                    return ::testing::AssertionFailure()
                           << name << " tag " << tag << " is not in both";
                const TiffEntry& other = y->at(tag);
                bool same =
                    entry.text == other.text && entry.numbers.size() == other.numbers.size();
                for (std::size_t i = 0; same && i < entry.numbers.size(); ++i)
                    same = std::fabs(entry.numbers[i] - other.numbers[i]) <=
                           1e-6 * std::fabs(entry.numbers[i]) + 1e-9;
                if (!same)
                    return ::testing::AssertionFailure() << name << " tag " << tag << " differs";
            }
        }
    }
    return ::testing::AssertionSuccess();
}

inline std::string Names(const std::vector<std::pair<std::string, std::string>>& chunks) {
    std::string names;
    for (const auto& c : chunks) names += " " + c.first;
    return names;
}

// The chunks of a PNG that describe its picture, kept in order; those whose meaning the
// correction changes, left out.
inline ::testing::AssertionResult SamePngChunks(const fs::path& read, const fs::path& written) {
    static const std::set<std::string> kKept = {"IHDR", "iCCP", "sRGB", "gAMA", "cHRM",
                                                "pHYs", "tEXt", "zTXt", "iTXt", "eXIf"};
    static const std::set<std::string> kDropped = {"bKGD", "sBIT", "tIME", "tRNS", "PLTE", "hIST"};
    const auto kept = [&](const fs::path& file, bool dropped) {
        std::vector<std::pair<std::string, std::string>> out;
        for (auto& c : WalkPng(ReadBytes(file)))
            if ((dropped ? kDropped : kKept).count(c.first)) out.push_back(c);
        return out;
    };
    const auto before = kept(read, false), after = kept(written, false);
    for (std::size_t i = 0; i < std::max(before.size(), after.size()); ++i) {
        if (i >= before.size() || i >= after.size() || before[i] != after[i])
            return ::testing::AssertionFailure()
                   << "kept chunk " << i
                   << " differs: " << (i < before.size() ? before[i].first : "none") << " against "
                   << (i < after.size() ? after[i].first : "none") << " (of" << Names(before)
                   << " and" << Names(after) << ")";
    }
    if (!kept(written, true).empty())
        return ::testing::AssertionFailure() << "a chunk the correction changes is still there";
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
    const batch::Outcome done = batch::CorrectFile(file.string(), levels, {to, false}, stop);
    if (done.kind != batch::Outcome::Kind::Done) return ::testing::AssertionFailure() << done.line;
    auto after = document::TakeIn(to.string(), document::Names::Pictures);
    if (!after) return ::testing::AssertionFailure() << document::Reason(after.Failure());
    if (auto same = CorrectedByTheRule(pixels, after.Value().picture.pixels, levels); !same)
        return same;
    return file.extension() == ".png"
               ? SamePngChunks(file, to)
               : SameTiffMetadata(WalkTiff(ReadBytes(file)), WalkTiff(ReadBytes(to)));
}

}  // namespace tintwell::tests
