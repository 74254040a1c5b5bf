#include "ui/window_fitting.h"

namespace tintwell::ui {

FitResult FitWindow(const FitInput& in) {
    constexpr float kMargin = 5;
    FitResult out{0, 0, in.left, in.top, false};
    if (static_cast<double>(in.pictureWidth) - kMargin > in.initialWidth) {
        out.width = in.pictureWidth + kMargin;
        if (out.width > in.screenWidth) {
            out.width = in.screenWidth;
            out.clamped = true;
        }
    } else {
        out.width = static_cast<float>(in.initialWidth);
    }
    out.height =
        static_cast<float>(static_cast<double>(in.pictureHeight) + in.initialHeight + kMargin);
    if (out.height > in.screenHeight) {
        out.height = in.screenHeight;
        out.clamped = true;
    }
    if (out.width + out.left > in.screenWidth) out.left = 0;
    if (out.height + out.top > in.screenHeight) out.top = 0;
    return out;
}

}  // namespace tintwell::ui
