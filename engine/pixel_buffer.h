#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace tintwell::engine {

// What each sample of a pixel is, in the order the samples are stored.
enum class Role : std::uint8_t { Red, Green, Blue, Grey, Alpha, Opaque };

// How a picture's pixels lie in memory: 1 to 4 samples of 8 or 16 bits (native byte order).
struct Layout {
    std::array<Role, 4> roles{};
    int samples = 0;
    int bits = 8;

    int BytesPerPixel() const { return samples * bits / 8; }
    bool IsGrey() const { return roles[0] == Role::Grey; }
    bool HasAlpha() const { return roles[samples - 1] == Role::Alpha; }
    bool operator==(const Layout&) const = default;
};

// The layout a screen paints without conversion, 0xFFRRGGBB in a 32-bit word: what bitmaps are
// read into and what the window shows and corrects.
inline constexpr Layout kScreenLayout = {{Role::Blue, Role::Green, Role::Red, Role::Opaque}, 4, 8};

// A file's layout: red, green and blue or grey, with or without alpha, in 8 or 16 bits.
constexpr Layout FileLayout(bool grey, bool alpha, int bits) {
    Layout l{{}, 0, bits};
    if (grey) {
        l.roles[l.samples++] = Role::Grey;
    } else {
        for (Role r : {Role::Red, Role::Green, Role::Blue}) l.roles[l.samples++] = r;
    }
    if (alpha) l.roles[l.samples++] = Role::Alpha;
    return l;
}

// Keeps up to `count` big buffers that pictures give back, for the pictures that follow (a
// program working through a roll asks for as many as it holds pictures at once); 0, the start,
// keeps none.
void KeepFreedBuffers(std::size_t count);

// A picture's pixels, row after row, top row first, with no padding. The memory is aligned and
// advised so that the kernel may back it with huge pages: first touches of fresh memory
// dominate loading a big picture otherwise.
class PixelBuffer {
public:
    PixelBuffer() = default;

    // An uninitialised buffer, or nothing when the memory cannot be had. A big one asks for
    // huge pages, which passes over it run faster on, unless `hugePages` says not: the kernel
    // clears a huge page at its first touch more slowly than small ones, which a buffer written
    // once (a decoded raw file) does not win back.
    static std::optional<PixelBuffer> Allocate(int width, int height,
                                               const Layout& layout = kScreenLayout,
                                               bool hugePages = true);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    const Layout& GetLayout() const { return m_layout; }
    bool IsScreenLayout() const { return m_layout == kScreenLayout; }
    bool IsEmpty() const { return m_width == 0 || m_height == 0; }
    std::size_t PixelCount() const {
        return static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height);
    }
    // Bytes of one row.
    std::size_t RowSize() const {
        return static_cast<std::size_t>(m_width) *
               static_cast<std::size_t>(m_layout.BytesPerPixel());
    }

    // Row y's bytes, whatever the layout.
    std::uint8_t* Bytes(int y) { return m_data.get() + static_cast<std::size_t>(y) * RowSize(); }
    const std::uint8_t* Bytes(int y) const {
        return m_data.get() + static_cast<std::size_t>(y) * RowSize();
    }

    // In the screen layout: row y's pixels, and pixels per row.
    std::uint32_t* Row(int y) { return reinterpret_cast<std::uint32_t*>(Bytes(y)); }
    const std::uint32_t* Row(int y) const {
        return reinterpret_cast<const std::uint32_t*>(Bytes(y));
    }
    std::uint32_t* Data() { return Row(0); }
    const std::uint32_t* Data() const { return Row(0); }
    std::size_t Stride() const { return static_cast<std::size_t>(m_width); }

private:
    struct Free {
        Free() noexcept : capacity(0) {}
        explicit Free(std::size_t bytes) noexcept : capacity(bytes) {}
        void operator()(std::uint8_t* p) const;
        std::size_t capacity;
    };
    int m_width = 0;
    int m_height = 0;
    Layout m_layout = kScreenLayout;
    std::unique_ptr<std::uint8_t[], Free> m_data;
};

}  // namespace tintwell::engine
