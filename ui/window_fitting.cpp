#include "ui/window_fitting.h"

#include <algorithm>
#include <cmath>

#include "ui/twips.h"

namespace tintwell::ui {
namespace {

QSize Extra(const QMargins& frame) {
    return {frame.left() + frame.right(), frame.top() + frame.bottom()};
}

// Twips that fall between pixels round up, so that the margin shows rather than vanishes.
int CeilPixels(double twips) {
    return static_cast<int>(std::ceil(twips / kTwipsPerPixel - 1e-6));
}

float Twips(double pixels) {
    return static_cast<float>(pixels * kTwipsPerPixel);
}

}  // namespace

FitResult FitWindow(const FitInput& in) {
    constexpr float kMargin = 5;
    FitResult out{0, 0, in.left, in.top, false, false};
    if (static_cast<double>(in.pictureWidth) - kMargin > in.initialWidth) {
        out.width = in.pictureWidth + kMargin;
        if (out.width > in.screenWidth) {
            out.width = in.screenWidth;
            out.clampedWidth = true;
        }
    } else {
        out.width = static_cast<float>(in.initialWidth);
    }
    out.height =
        static_cast<float>(static_cast<double>(in.pictureHeight) + in.initialHeight + kMargin);
    if (out.height > in.screenHeight) {
        out.height = in.screenHeight;
        out.clampedHeight = true;
    }
    if (out.width + out.left > in.screenWidth) out.left = 0;
    if (out.height + out.top > in.screenHeight) out.top = 0;
    return out;
}

int WindowFitter::InitialWidth(const FramedWindow& window) const {
    const int outer = m_clientAtStart.width() + Extra(window.Frame()).width();
    return static_cast<int>(std::nearbyint(ToTwips(outer)));
}

int WindowFitter::InitialHeight(const FramedWindow& window) const {
    const int outer = m_clientAtStart.height() + Extra(window.Frame()).height();
    return static_cast<int>(std::nearbyint(ToTwips(outer)));
}

bool WindowFitter::Fit(FramedWindow& window, QPoint boxAt, QSizeF box) const {
    const QSize frame = Extra(window.Frame());
    const QRect screen = window.Available();
    const QPoint at = window.FramePosition() - screen.topLeft();
    const FitResult fit = FitWindow({Twips(box.width()), Twips(box.height()), InitialWidth(window),
                                     InitialHeight(window), Twips(at.x()), Twips(at.y()),
                                     Twips(screen.width()), Twips(screen.height())});

    // The rule allows only a 5-twip margin and knows nothing of the frame or of where the box
    // sits in the window; where it did not cut the window, make room for the whole box.
    QSize outer(CeilPixels(fit.width), CeilPixels(fit.height));
    const QSize whole(
        static_cast<int>(std::ceil(boxAt.x() + box.width() - 1e-6)) + frame.width(),
        static_cast<int>(std::ceil(boxAt.y() + box.height() - 1e-6)) + frame.height());
    if (!fit.clampedWidth) outer.setWidth(std::max(outer.width(), whole.width()));
    if (!fit.clampedHeight) outer.setHeight(std::max(outer.height(), whole.height()));
    bool clamped = fit.clampedWidth || fit.clampedHeight;
    if (outer.width() > screen.width() || outer.height() > screen.height()) clamped = true;
    outer = outer.boundedTo(screen.size());

    // Back to the screen's left or top edge where the window would stick out past its right or
    // bottom edge; a window off the left or top edge stays where it is.
    QPoint topLeft = window.FramePosition();
    if (at.x() + outer.width() > screen.width()) topLeft.setX(screen.left());
    if (at.y() + outer.height() > screen.height()) topLeft.setY(screen.top());
    window.SetClientSize(outer - frame);
    window.MoveFrame(topLeft);
    return clamped;
}

}  // namespace tintwell::ui
