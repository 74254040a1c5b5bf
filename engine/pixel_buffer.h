#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace tintwell::engine {

// A picture's pixels (0xFFRRGGBB), row after row, top row first, with no padding. The memory
// is aligned and advised so that the kernel may back it with huge pages: first touches of
// fresh memory dominate loading a big picture otherwise.
class PixelBuffer {
public:
    PixelBuffer() = default;

    // An uninitialised buffer, or nothing when the memory cannot be had.
    static std::optional<PixelBuffer> Allocate(int width, int height);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool IsEmpty() const { return m_width == 0 || m_height == 0; }
    std::size_t PixelCount() const {
        return static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height);
    }

    std::uint32_t* Row(int y) { return m_data.get() + static_cast<std::size_t>(y) * Stride(); }
    const std::uint32_t* Row(int y) const {
        return m_data.get() + static_cast<std::size_t>(y) * Stride();
    }
    std::uint32_t* Data() { return m_data.get(); }
    const std::uint32_t* Data() const { return m_data.get(); }
    std::size_t Stride() const { return static_cast<std::size_t>(m_width); }

private:
    struct Free {
        void operator()(std::uint32_t* p) const;
    };
    int m_width = 0;
    int m_height = 0;
    std::unique_ptr<std::uint32_t[], Free> m_data;
};

}  // namespace tintwell::engine
