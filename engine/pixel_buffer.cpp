#include "engine/pixel_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tintwell::engine {
namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kCacheLine = 64;

// Big buffers given back, kept for the next picture where the program asks for it: a roll
// allocates one picture after another, and the kernel clears fresh memory at its first touch,
// which costs more than reading a file into it.
class Recycler {
public:
    void Keep(std::size_t most) {
        std::lock_guard lock(m_mutex);
        m_most = most;
        while (m_kept.size() > m_most) {
            std::free(m_kept.back().first);
            m_kept.pop_back();
        }
    }
    // A kept buffer of at least `bytes` (and not twice as much), or none.
    void* Take(std::size_t bytes, std::size_t& capacity) {
        std::lock_guard lock(m_mutex);
        const auto fits = std::find_if(m_kept.begin(), m_kept.end(), [&](const auto& k) {
            return k.second >= bytes && k.second / 2 <= bytes;
        });
        if (fits == m_kept.end()) return nullptr;
        void* memory = fits->first;
        capacity = fits->second;
        m_kept.erase(fits);
        return memory;
    }
    bool Give(void* memory, std::size_t capacity) {
        std::lock_guard lock(m_mutex);
        if (capacity < kHugePage || m_kept.size() >= m_most) return false;
        m_kept.emplace_back(memory, capacity);
        return true;
    }

private:
    std::mutex m_mutex;
    std::size_t m_most = 0;
    std::vector<std::pair<void*, std::size_t>> m_kept;
};

Recycler& TheRecycler() {
    static Recycler* recycler = new Recycler;  // lives as long as any buffer may be freed
    return *recycler;
}

}  // namespace

void KeepFreedBuffers(std::size_t count) {
    TheRecycler().Keep(count);
}

void PixelBuffer::Free::operator()(std::uint8_t* p) const {
    if (!TheRecycler().Give(p, capacity)) std::free(p);
}

std::optional<PixelBuffer> PixelBuffer::Allocate(int width, int height, const Layout& layout,
                                                 bool hugePages) {
    if (width <= 0 || height <= 0 || layout.samples < 1 || layout.samples > 4) return std::nullopt;
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                              static_cast<std::size_t>(layout.BytesPerPixel());
    // Big buffers start on a huge-page boundary; small ones need not waste the space.
    const std::size_t alignment = bytes >= kHugePage ? kHugePage : kCacheLine;
    std::size_t rounded = (bytes + alignment - 1) / alignment * alignment;
    void* memory = alignment == kHugePage ? TheRecycler().Take(rounded, rounded) : nullptr;
    if (memory == nullptr) {
        memory = std::aligned_alloc(alignment, rounded);
        if (memory == nullptr) return std::nullopt;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        if (alignment == kHugePage && hugePages) madvise(memory, rounded, MADV_HUGEPAGE);
#endif
    }
    PixelBuffer buffer;
    buffer.m_width = width;
    buffer.m_height = height;
    buffer.m_layout = layout;
    buffer.m_data =
        std::unique_ptr<std::uint8_t[], Free>(static_cast<std::uint8_t*>(memory), Free{rounded});
    return buffer;
}

}  // namespace tintwell::engine
