#pragma once

#include <string>

#include "engine/levels.h"

namespace tintwell::engine {

// What to tell the user when a channel's settings cannot be used.
std::string SettingsMessage(const SettingsError& error);

// What to tell the user when the settings would leave every pixel as it is.
inline constexpr const char* kNothingToDo = "Black and white point settings give me nothing to do";

}  // namespace tintwell::engine
