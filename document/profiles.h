#pragma once

#include <cstdint>
#include <vector>

namespace tintwell::document {

// The ICC profiles a positive made from a negative carries, made with Little CMS: sRGB, and a
// grey profile with the sRGB tone curve for black-and-white positives.
const std::vector<std::uint8_t>& SrgbProfile();
const std::vector<std::uint8_t>& GreyProfile();

}  // namespace tintwell::document
