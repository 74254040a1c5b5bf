#pragma once

#include <string_view>

namespace tintwell::document {

// A dropped file is taken only when its name ends in ".BMP", in any letter case.
bool HasBmpName(std::string_view path);

}  // namespace tintwell::document
