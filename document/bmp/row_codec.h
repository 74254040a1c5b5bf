#pragma once

#include <cstddef>
#include <cstdint>

namespace tintwell::document {

// Conversions between a file's 24- and 32-bit rows (blue, green, red bytes) and the picture's
// stored pixels (0xFFRRGGBB). Each picks the widest vector unit the processor has and falls
// back on the plain loops, which are also there on their own for the tests.
void Expand24(const std::uint8_t* in, std::uint32_t* out, std::size_t count);
void Pack24(const std::uint32_t* in, std::uint8_t* out, std::size_t count);
void Opaque32(const std::uint8_t* in, std::uint32_t* out, std::size_t count);

void Expand24Scalar(const std::uint8_t* in, std::uint32_t* out, std::size_t count);
void Pack24Scalar(const std::uint32_t* in, std::uint8_t* out, std::size_t count);
void Opaque32Scalar(const std::uint8_t* in, std::uint32_t* out, std::size_t count);

}  // namespace tintwell::document
