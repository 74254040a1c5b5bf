#pragma once

#include <cstdint>
#include <span>

#include "engine/pixel_buffer.h"

namespace tintwell::engine {

// What the correction pass needs of a picture: its size, pixel access by coordinates, and,
// where the picture lives in memory, whole rows (a call per pixel costs more than the work).
class Surface {
public:
    virtual ~Surface() = default;

    virtual int ScaleWidth() const = 0;
    virtual int ScaleHeight() const = 0;
    // The colour 0x00BBGGRR at (x, y), or -1 outside the picture.
    virtual std::int32_t Point(int x, int y) const = 0;
    // Sets one pixel to a colour 0x00BBGGRR; points outside the picture are ignored.
    virtual void PSet(int x, int y, std::uint32_t colour) = 0;
    // Row y's stored pixels (0xFFRRGGBB), or an empty span when rows cannot be reached.
    virtual std::span<std::uint32_t> Row(int /*y*/) { return {}; }
};

// A surface over a buffer in memory, in the screen layout.
class BufferSurface : public Surface {
public:
    explicit BufferSurface(PixelBuffer& buffer) : m_buffer(buffer) {}

    int ScaleWidth() const override { return m_buffer.Width(); }
    int ScaleHeight() const override { return m_buffer.Height(); }
    std::int32_t Point(int x, int y) const override;
    void PSet(int x, int y, std::uint32_t colour) override;
    std::span<std::uint32_t> Row(int y) override;

private:
    PixelBuffer& m_buffer;
};

}  // namespace tintwell::engine
