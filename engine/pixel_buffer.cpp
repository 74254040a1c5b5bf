#include "engine/pixel_buffer.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tintwell::engine {
namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kCacheLine = 64;
}  // namespace

void PixelBuffer::Free::operator()(std::uint8_t* p) const {
    std::free(p);
}

std::optional<PixelBuffer> PixelBuffer::Allocate(int width, int height, const Layout& layout) {
    if (width <= 0 || height <= 0 || layout.samples < 1 || layout.samples > 4) return std::nullopt;
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                              static_cast<std::size_t>(layout.BytesPerPixel());
    // Big buffers start on a huge-page boundary; small ones need not waste the space.
    const std::size_t alignment = bytes >= kHugePage ? kHugePage : kCacheLine;
    const std::size_t rounded = (bytes + alignment - 1) / alignment * alignment;
    void* memory = std::aligned_alloc(alignment, rounded);
    if (memory == nullptr) return std::nullopt;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (alignment == kHugePage) madvise(memory, rounded, MADV_HUGEPAGE);
#endif
    PixelBuffer buffer;
    buffer.m_width = width;
    buffer.m_height = height;
    buffer.m_layout = layout;
    buffer.m_data.reset(static_cast<std::uint8_t*>(memory));
    return buffer;
}

}  // namespace tintwell::engine
