#pragma once

#include <functional>

#include "engine/levels.h"
#include "engine/pixel_buffer.h"
#include "engine/surface.h"

namespace tintwell::engine {

enum class PassResult { Completed, Cancelled };

// Told after each row has been written (the row's number); answers whether to go on. The window
// yields to its event loop here and looks whether Cancel was clicked.
using AfterRow = std::function<bool(int row)>;

// Stretches every pixel of the surface in place, row by row from the top, telling `afterRow`
// after each row; when it answers no, the pass stops with the rows below untouched.
PassResult RunCorrectionPass(Surface& surface, const Levels& levels, const AfterRow& afterRow);

// The same over a picture of any layout (see SampleLevels).
PassResult RunCorrectionPass(PixelBuffer& picture, const Levels& levels, const AfterRow& afterRow);

}  // namespace tintwell::engine
