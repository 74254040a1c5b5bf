#pragma once

#include <cstdint>
#include <string>

#include "engine/pixel.h"
#include "engine/pixel_buffer.h"
#include "platform/platform.h"

namespace tintwell::bench {

// A picture of noise: every channel value occurs, and no two rows are alike.
inline engine::PixelBuffer NoisePicture(int width, int height) {
    engine::PixelBuffer buffer = *engine::PixelBuffer::Allocate(width, height);
    std::uint32_t seed = 12345;
    for (std::size_t i = 0; i < buffer.PixelCount(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        buffer.Data()[i] = engine::kOpaque | (seed >> 8);
    }
    return buffer;
}

// A platform whose yield does nothing: the bare cost of the pass.
class NoYield : public platform::Platform {
public:
    platform::Answer MsgBox(const std::string&, platform::MsgStyle, const std::string&) override {
        return platform::Answer::Ok;
    }
    void Beep() override {}
    void DoEvents() override {}
    void SetMousePointer(platform::Pointer) override {}
    void End() override {}
};

}  // namespace tintwell::bench
