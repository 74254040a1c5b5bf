#include "ui/settings_message.h"

namespace tintwell::ui {

std::string SettingsMessage(const engine::SettingsError& error) {
    const std::string channel = engine::ChannelName(error.channel);
    if (error.field == engine::Field::BlackPoint) {
        return "The " + channel + " black point is out of range. Enter a number from 0 to 255.";
    }
    return "The " + channel +
           " white point can't be used: it reads as 0 or is out of range. "
           "Enter a number from 1 to 255.";
}

}  // namespace tintwell::ui
