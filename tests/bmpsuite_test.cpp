// Every file of the public BMP Suite through the reader: good files decode to their reference
// pixels, questionable ones decode to a reference or are refused with a reason, bad ones are
// refused.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "document/bmp_reader.h"
#include "engine/pixel.h"

namespace tintwell::document {
namespace {

namespace fs = std::filesystem;

const fs::path kSuite = TINTWELL_BMPSUITE_DIR;

// Questionable files the reader refuses on purpose (the README says why).
const std::set<std::string> kRefusedQuestionable = {
    "pal1huffmsb.bmp",  // Huffman compression
    "rgb24jpeg.bmp",    // embedded JPEG
    "rgb24png.bmp",     // embedded PNG
    "rgb24prof.bmp",    // embedded colour profile
    "rgb24prof2.bmp",   // embedded colour profile
    "rgb24lprof.bmp",   // linked colour profile
    "rgba64.bmp",       // 64-bit pixels
};

std::map<std::string, std::vector<std::string>> References() {
    std::map<std::string, std::vector<std::string>> refs;
    std::ifstream in(kSuite / "references.tsv");
    std::string line;
    std::getline(in, line);  // column names
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string bmp, pngs;
        std::getline(fields, bmp, '\t');
        std::getline(fields, pngs, '\t');
        std::istringstream list(pngs);
        for (std::string png; std::getline(list, png, ',');) refs[bmp].push_back(png);
    }
    return refs;
}

// The 11-bit channels of this file were made from a finer source than its 8-bit reference, so
// no scaling of the stored values meets the reference exactly; rounding is within one step.
const std::map<std::string, int> kTolerance = {{"rgb32-111110.bmp", 1}};

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Compares colour only; where the reference is fully transparent its colour means nothing.
::testing::AssertionResult SamePixels(const engine::PixelBuffer& picture, const std::string& png,
                                      int tolerance) {
    const QImage ref = QImage(QString::fromStdString((kSuite / png).string()))
                           .convertToFormat(QImage::Format_ARGB32);
    if (ref.isNull()) return ::testing::AssertionFailure() << "cannot read " << png;
    if (ref.width() != picture.Width() || ref.height() != picture.Height()) {
        return ::testing::AssertionFailure() << "size differs from " << png;
    }
    for (int y = 0; y < ref.height(); ++y) {
        for (int x = 0; x < ref.width(); ++x) {
            const QRgb want = ref.pixel(x, y);
            if (qAlpha(want) == 0) continue;
            if (!Near(picture.Row(y)[x], want, tolerance)) {
                return ::testing::AssertionFailure() << png << " differs at " << x << "," << y;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult MatchesAReference(const engine::PixelBuffer& picture,
                                             const std::vector<std::string>& pngs,
                                             int tolerance = 0) {
    ::testing::AssertionResult last = ::testing::AssertionFailure() << "no reference";
    for (const std::string& png : pngs) {
        last = SamePixels(picture, png, tolerance);
        if (last) return last;
    }
    return last;
}

std::vector<fs::path> Files(const std::string& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(kSuite / folder)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

class BmpSuite : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kSuite / "references.tsv")) GTEST_SKIP() << "no BMP Suite at " << kSuite;
    }
    const std::map<std::string, std::vector<std::string>> m_refs = References();
};

TEST_F(BmpSuite, GoodFilesDecodeToTheirReferences) {
    const auto files = Files("g");
    EXPECT_EQ(files.size(), 27u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        auto picture = ReadBmp(file);
        ASSERT_TRUE(picture.Ok()) << picture.Failure().reason;
        EXPECT_TRUE(MatchesAReference(picture.Value(), m_refs.at("g/" + file.filename().string())));
    }
}

TEST_F(BmpSuite, QuestionableFilesDecodeToAReferenceOrAreRefusedWithAReason) {
    for (const fs::path& file : Files("q")) {
        const std::string name = file.filename().string();
        SCOPED_TRACE(name);
        auto picture = ReadBmp(file);
        if (kRefusedQuestionable.count(name)) {
            ASSERT_FALSE(picture.Ok());
            EXPECT_FALSE(picture.Failure().reason.empty());
            continue;
        }
        ASSERT_TRUE(picture.Ok()) << picture.Failure().reason;
        const int tolerance = kTolerance.count(name) ? kTolerance.at(name) : 0;
        EXPECT_TRUE(MatchesAReference(picture.Value(), m_refs.at("q/" + name), tolerance));
    }
}

TEST_F(BmpSuite, BadFilesAreRefusedWithAReason) {
    const auto files = Files("b");
    EXPECT_EQ(files.size(), 20u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        auto picture = ReadBmp(file);
        ASSERT_FALSE(picture.Ok());
        EXPECT_FALSE(picture.Failure().reason.empty());
    }
}

}  // namespace
}  // namespace tintwell::document
