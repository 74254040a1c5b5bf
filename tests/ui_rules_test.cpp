// The window's pure rules, without a window: the pixel readout, the fitting, the drop count.
#include <gtest/gtest.h>

#include <QMimeData>

#include "app/command_line.h"
#include "ui/drop_label.h"
#include "ui/pixel_caption.h"
#include "ui/tool_placement.h"
#include "ui/window_fitting.h"

namespace tintwell::ui {
namespace {

struct CaptionCase {
    std::string path;
    std::int32_t colour;
    std::string expected;
};

class Caption : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(Caption, ExactLiterals) {
    EXPECT_EQ(PixelCaption(GetParam().path, GetParam().colour), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Caption,
    ::testing::Values(
        CaptionCase{"C:\\x.bmp", 3678732, "Tintwell - C:\\x.bmp    [ R = 12  G = 34  B = 56 ]"},
        CaptionCase{"/p/a.bmp", 16777215, "Tintwell - /p/a.bmp    [ R = 255  G = 255  B = 255 ]"},
        CaptionCase{"/p/a.bmp", -1, "Tintwell - /p/a.bmp    [ R = 255  G = 0  B = 0 ]"},
        CaptionCase{"", 0x010203, "Tintwell -     [ R = 3  G = 2  B = 1 ]"}));

// Inputs in twips: a window that opened at 9,345 x 1,065 on a 15,360 x 11,520 screen.
struct FitCase {
    float pictureWidth, pictureHeight, left, top;
    float width, height, newLeft, newTop;
    bool clamped;
};

class Fitting : public ::testing::TestWithParam<FitCase> {};

TEST_P(Fitting, FollowsThePictureWithinTheScreen) {
    const FitCase& c = GetParam();
    const FitResult r =
        FitWindow({c.pictureWidth, c.pictureHeight, 9345, 1065, c.left, c.top, 15360, 11520});
    EXPECT_EQ(r.width, c.width);
    EXPECT_EQ(r.height, c.height);
    EXPECT_EQ(r.left, c.newLeft);
    EXPECT_EQ(r.top, c.newTop);
    EXPECT_EQ(r.clampedWidth || r.clampedHeight, c.clamped);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Fitting,
    ::testing::Values(
        FitCase{6000, 4500, 1200, 900, 9345, 5570, 1200, 900, false},
        FitCase{24000, 18000, 1200, 900, 15360, 11520, 0, 0, true},
        FitCase{9350, 90, 0, 0, 9345, 1160, 0, 0, false},        // InitialWidth + 5: no wider
        FitCase{9351, 90, 0, 0, 9356, 1160, 0, 0, false},        // any wider: picture + 5
        FitCase{9345, 90, 6015, 0, 9345, 1160, 6015, 0, false},  // right edge on the screen's
        FitCase{9345, 90, 6016, 0, 9345, 1160, 0, 0, false},
        FitCase{100, 10000, 0, 450, 9345, 11070, 0, 450, false},  // bottom edge on the screen's
        FitCase{100, 10000, 0, 451, 9345, 11070, 0, 0, false},
        FitCase{24000, 100, -300, 0, 15360, 1170, -300, 0, true},  // off the left stays
        FitCase{100, 11000, 0, -300, 9345, 11520, 0, -300, true}));

// The window as a window manager frames it: the frame may be known when the window opens, only
// after it has opened (X11), or never (no window manager).
class FakeWindow : public FramedWindow {
public:
    QSize ClientSize() const override { return client; }
    QMargins Frame() const override { return frame; }
    QPoint FramePosition() const override { return framePos; }
    QRect Available() const override { return available; }
    void SetClientSize(QSize size) override { client = size; }
    void MoveFrame(QPoint topLeft) override { framePos = topLeft; }

    QSize client{617, 46};
    QMargins frame;
    QPoint framePos{300, 200};
    QRect available{0, 0, 1280, 1024};
};

struct BindingCase {
    const char* name;
    QMargins frameAtLoad, frameAtFit;
    QRect available;
    QSizeF box;
    QSize client;  // after the fit
    QPoint framePos;
    bool clamped;
};

class FittingBinding : public ::testing::TestWithParam<BindingCase> {};

TEST_P(FittingBinding, ShowsStripAndWholePictureOrStaysOnTheScreen) {
    const BindingCase& c = GetParam();
    // On the first screen, and on a second one to its right and lower down.
    for (const QPoint screen : {QPoint(0, 0), QPoint(1920, 150)}) {
        FakeWindow window;
        window.frame = c.frameAtLoad;
        window.available = c.available.translated(screen);
        window.framePos += screen;
        WindowFitter fitter;
        fitter.Load(window);
        window.frame = c.frameAtFit;
        EXPECT_EQ(fitter.InitialHeight(window),
                  (46 + c.frameAtFit.top() + c.frameAtFit.bottom()) * 15);
        EXPECT_EQ(fitter.Fit(window, QPoint(2, 47), c.box), c.clamped);
        EXPECT_EQ(window.client, c.client) << "screen at " << screen.x();
        EXPECT_EQ(window.framePos, c.framePos + screen) << "screen at " << screen.x();
    }
}

const QMargins kOpenbox(1, 20, 1, 1);
const QRect kScreen(0, 0, 1280, 1024);
const QRect kBelowPanel(0, 30, 1280, 994);

INSTANTIATE_TEST_SUITE_P(
    Cases, FittingBinding,
    ::testing::Values(
        BindingCase{"no_frame", {}, {}, kScreen, {160, 90}, {617, 137}, {300, 200}, false},
        BindingCase{
            "frame_at_once", kOpenbox, kOpenbox, kScreen, {160, 90}, {617, 137}, {300, 200}, false},
        BindingCase{"frame_late", {}, kOpenbox, kScreen, {160, 90}, {617, 137}, {300, 200}, false},
        // a box wider than the strip: the client area ends where the box does
        BindingCase{
            "wide_frame_late", {}, kOpenbox, kScreen, {900, 600}, {902, 647}, {300, 200}, false},
        BindingCase{"wide_no_frame", {}, {}, kScreen, {900, 600}, {902, 647}, {300, 200}, false},
        // just narrower than the screen, but not with the frame: moved to the left edge
        BindingCase{"edge", {}, kOpenbox, kScreen, {1270, 100}, {1272, 147}, {0, 200}, false},
        // at scale 2 an odd-sized picture's box ends part-way through a pixel
        BindingCase{"half_pixel", {}, kOpenbox, kScreen, {80, 60.5}, {617, 108}, {300, 200}, false},
        // within the screen by the twips rule, but not with the frame's pixels
        BindingCase{
            "tall_by_the_frame", {}, kOpenbox, kScreen, {160, 956.5}, {617, 1003}, {300, 0}, true},
        BindingCase{"larger_than_screen",
                    {},
                    kOpenbox,
                    kBelowPanel,
                    {3000, 2500},
                    {1278, 973},
                    {0, 30},
                    true}),
    [](const auto& info) { return std::string(info.param.name); });

// As a drag from another program carries them: a text/uri-list, a piece of text, or both.
struct DropCase {
    const char* name;
    QByteArray uriList;
    std::vector<std::string> files;
    QString text = {};
};

class DroppedFiles : public ::testing::TestWithParam<DropCase> {};

TEST_P(DroppedFiles, AreTheLocalFilesAsTheBytesTheyName) {
    QMimeData data;
    if (!GetParam().text.isEmpty()) data.setText(GetParam().text);
    if (!GetParam().uriList.isEmpty()) data.setData("text/uri-list", GetParam().uriList);
    EXPECT_EQ(ui::DroppedFiles(data), GetParam().files);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DroppedFiles,
    ::testing::Values(
        DropCase{"two", "file:///p/a.bmp\r\nfile:///p/b%20c.bmp\r\n", {"/p/a.bmp", "/p/b c.bmp"}},
        DropCase{"web_link", "https://example.org/a.bmp\r\n", {}},
        DropCase{"file_and_link", "file:///p/a.bmp\r\nhttps://example.org/b.bmp\r\n", {"/p/a.bmp"}},
        DropCase{"file_with_text", "file:///p/a.bmp\r\n", {"/p/a.bmp"}, "file:///p/a.bmp"},
        DropCase{"not_utf8", "file:///p/%E9t%E9.bmp\r\n", {"/p/\xE9t\xE9.bmp"}},
        DropCase{"comments_and_hosts",
                 "# from a file manager\r\nfile://localhost/p/a.bmp\r\nfile:/p/b.bmp\r\n"
                 "FILE:///p/c.bmp\nfile://elsewhere/p/d.bmp\r\n\r\n",
                 {"/p/a.bmp", "/p/b.bmp", "/p/c.bmp"}},
        DropCase{"a_nul_in_the_name", "file:///p/a.bmp%00.txt\r\n", {}},
        DropCase{"relative", "file:p/a.bmp\r\n", {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tintwell::ui

namespace tintwell::ui {
namespace {

struct PlaceCase {
    const char* name;
    QRect main, picture, available;
    QSize tool;
    QPoint expected;
};

class ToolWindow : public ::testing::TestWithParam<PlaceCase> {};

// Right, left, below, above: the first side with room, sliding along it onto the screen; where
// no side has room, the place on the screen that covers least of the picture.
TEST_P(ToolWindow, GoesBesideTheMainWindowClearOfItsPicture) {
    const PlaceCase& c = GetParam();
    EXPECT_EQ(PlaceBeside(c.main, c.picture, c.tool, c.available), c.expected);
}

const QRect kFullHd(0, 0, 1920, 1080);

INSTANTIATE_TEST_SUITE_P(
    Cases, ToolWindow,
    ::testing::Values(
        PlaceCase{"right", {100, 100, 600, 400}, {}, kFullHd, {500, 400}, {708, 100}},
        PlaceCase{"left", {1000, 100, 600, 400}, {}, kFullHd, {500, 400}, {492, 100}},
        PlaceCase{"below", {700, 50, 600, 400}, {}, kFullHd, {700, 400}, {700, 458}},
        PlaceCase{"above", {700, 600, 600, 400}, {}, kFullHd, {700, 500}, {700, 92}},
        PlaceCase{"left_slid_up", {1300, 700, 600, 300}, {}, kFullHd, {500, 400}, {792, 680}},
        PlaceCase{"second_screen",
                  {2000, 100, 600, 400},
                  {},
                  {1920, 0, 1920, 1080},
                  {500, 400},
                  {2608, 100}},
        PlaceCase{"nowhere_clear",
                  {330, 347, 620, 330},
                  {335, 393, 320, 240},
                  {0, 0, 1280, 1024},
                  {700, 480},
                  {580, 347}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tintwell::ui

namespace tintwell::app {
namespace {

struct LineCase {
    std::vector<std::string> args;
    CommandLine::Action action;
    std::vector<std::string> paths;
};

class WindowCommandLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(WindowCommandLine, IsReadAsTheUserMeantIt) {
    const CommandLine line = ReadCommandLine(GetParam().args);
    EXPECT_EQ(line.action, GetParam().action);
    EXPECT_EQ(line.paths, GetParam().paths);
}

using A = CommandLine::Action;

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowCommandLine,
    ::testing::Values(LineCase{{}, A::Open, {}}, LineCase{{"a.bmp"}, A::Open, {"a.bmp"}},
                      LineCase{{"--help", "a.bmp"}, A::Help, {}}, LineCase{{"-h"}, A::Help, {}},
                      LineCase{{"a.bmp", "--version"}, A::Version, {}},
                      LineCase{{"--", "-dash.bmp"}, A::Open, {"-dash.bmp"}},
                      LineCase{{"--", "--help"}, A::Open, {"--help"}},
                      LineCase{{"-"}, A::Open, {"-"}},
                      LineCase{{"--roll", "roll", "--", "-x.tif"}, A::Roll, {"roll", "-x.tif"}},
                      LineCase{{"--frobnicate", "a.bmp"}, A::Wrong, {}}));

}  // namespace
}  // namespace tintwell::app
