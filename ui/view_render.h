#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/pixel_buffer.h"
#include "engine/screen_pixels.h"
#include "ui/reduced_view.h"

namespace tintwell::ui {

// A rectangle of device pixels over the picture as shown (see view_mapping.h).
struct DeviceRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Draws the device pixels of `rect` of the picture shown at `zoom` into `out`, rows `stride`
// pixels apart. At 100% and above each device pixel takes the picture pixel under its centre,
// so that a picture pixel is a sharp square; below 100% it takes the average of the picture
// pixels it covers, weighted by how much of each it covers, worked out from the reduced level
// just finer than the zoom. Device pixels off the picture get `background`. A picture of any
// layout shows as the screen shows it; with `rule`, as the rule makes it (below 100% the rule's
// results averaged: `reduced` must then have been built through it).
void RenderView(const engine::PixelBuffer& picture, const ReducedView& reduced, double zoom,
                DeviceRect rect, std::uint32_t* out, std::size_t stride, std::uint32_t background,
                const engine::ShownRule* rule = nullptr);

}  // namespace tintwell::ui
