#include "engine/surface.h"

#include "engine/pixel.h"

namespace tintwell::engine {

std::int32_t BufferSurface::Point(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_buffer.Width() || y >= m_buffer.Height()) return -1;
    return static_cast<std::int32_t>(PixelToColour(m_buffer.Row(y)[x]));
}

void BufferSurface::PSet(int x, int y, std::uint32_t colour) {
    if (x < 0 || y < 0 || x >= m_buffer.Width() || y >= m_buffer.Height()) return;
    m_buffer.Row(y)[x] = ColourToPixel(colour);
}

std::span<std::uint32_t> BufferSurface::Row(int y) {
    if (y < 0 || y >= m_buffer.Height()) return {};
    return {m_buffer.Row(y), m_buffer.Stride()};
}

}  // namespace tintwell::engine
