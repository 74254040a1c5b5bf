#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QSizeF>

namespace tintwell::ui {

// Sizes in twips (15 to a logical pixel).
struct FitInput {
    float pictureWidth = 0, pictureHeight = 0;  // the picture box's outer size
    int initialWidth = 0, initialHeight = 0;    // the window's outer size when it opened
    float left = 0, top = 0;                    // the window's position before fitting
    float screenWidth = 0, screenHeight = 0;
};

struct FitResult {
    float width = 0, height = 0, left = 0, top = 0;
    bool clampedWidth = false, clampedHeight = false;  // cut to the screen
};

// Fits the window to a new picture: at least its opening width (plus a 5-twip margin), as
// high as the picture plus the opening height, never larger than the screen, and moved back to
// the screen's left or top edge where it would stick out past the right or bottom edge.
FitResult FitWindow(const FitInput& in);

// The window as the fitting reads and writes it, in logical pixels.
class FramedWindow {
public:
    virtual ~FramedWindow() = default;
    virtual QSize ClientSize() const = 0;
    // What the window manager draws round the client area; nothing until it has framed it,
    // which on X11 happens only after the window is first shown.
    virtual QMargins Frame() const = 0;
    virtual QPoint FramePosition() const = 0;  // the frame's top-left corner on the screen
    virtual QRect Available() const = 0;       // the screen less its panels and docks
    virtual void SetClientSize(QSize size) = 0;
    virtual void MoveFrame(QPoint topLeft) = 0;
};

// Records the window's size when it opens and fits it to each new picture. The outer size at
// start is the client size recorded then plus the frame as it is when asked: the same numbers
// as recording the outer size itself, also where the frame arrives after the window opened.
class WindowFitter {
public:
    void Load(const FramedWindow& window) { m_clientAtStart = window.ClientSize(); }
    bool IsLoaded() const { return m_clientAtStart.isValid(); }

    int InitialWidth(const FramedWindow& window) const;   // in twips
    int InitialHeight(const FramedWindow& window) const;  // in twips

    // Fits the window to a picture box of `box` logical pixels at `boxAt` in the client area.
    // Where the window is not cut to the screen, the client area ends where the box does (or
    // where the strip does, if that is further right); where it is, the window with its frame
    // lies on the available screen. Returns whether it was cut.
    bool Fit(FramedWindow& window, QPoint boxAt, QSizeF box) const;

private:
    QSize m_clientAtStart;
};

}  // namespace tintwell::ui
