#pragma once

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
    bool clamped = false;  // the picture was cut to the screen in width or height
};

// Fits the window to a new picture: at least its opening width (plus a 5-twip margin), as
// high as the picture plus the opening height, never larger than the screen, and moved back to
// the screen's left or top edge where it would stick out past the right or bottom edge.
FitResult FitWindow(const FitInput& in);

}  // namespace tintwell::ui
