#pragma once

#include <string>

#include "engine/levels.h"

namespace tintwell::ui {

// What to tell the user when a channel's settings cannot be used.
std::string SettingsMessage(const engine::SettingsError& error);

}  // namespace tintwell::ui
