#pragma once

#include "engine/pixel_buffer.h"

namespace tintwell::engine {

// The picture made small enough to fit `most` x `most` pixels (never enlarged), in the screen's
// layout, each pixel the mean of an even grid of the picture's pixels it stands for, as the
// screen shows them.
PixelBuffer Thumbnail(const PixelBuffer& picture, int most);

}  // namespace tintwell::engine
