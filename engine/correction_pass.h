#pragma once

#include "engine/levels.h"
#include "engine/surface.h"
#include "platform/platform.h"

namespace tintwell::engine {

enum class PassResult { Completed, Cancelled };

// Stretches every pixel of the surface in place, row by row from the top. After each row it
// yields to the event loop and then looks at `cancelRequested`: when set, it clears it and
// stops with the rows below untouched.
PassResult RunCorrectionPass(Surface& surface, const Levels& levels, platform::Platform& platform,
                             bool& cancelRequested);

}  // namespace tintwell::engine
