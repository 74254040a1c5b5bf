#pragma once

#include <string>
#include <string_view>

#include "document/result.h"

namespace tintwell::document {

// A dropped file is taken only when its name ends in ".BMP", in any letter case.
bool HasBmpName(std::string_view path);

// What the user is told of a file refused for its name, or that cannot be read.
inline constexpr const char* kNotBmp = "I only take BMP files";
inline constexpr const char* kCantRead = "Can't read that for some reason";

// What the user is told when a picture could not be saved over its file.
std::string CantSave(const std::string& path, const Error& error);

}  // namespace tintwell::document
