#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>
#include <cstdint>
#include <optional>

namespace tintwell::ui {

// Colours as 0x00BBGGRR: red in the low byte.
inline QColor VbColour(std::uint32_t c) {
    return QColor(static_cast<int>(c & 255), static_cast<int>((c >> 8) & 255),
                  static_cast<int>((c >> 16) & 255));
}

inline constexpr std::uint32_t kLightGrey = 0xC0C0C0;  // the window; the drop target during a pass
inline constexpr std::uint32_t kDarkGrey = 0x808080;   // the drop target at all other times

// Gives a widget its back colour (and text colour), the same whether it is enabled or not.
inline void Paint(QWidget* widget, std::uint32_t back,
                  std::optional<std::uint32_t> text = std::nullopt) {
    QPalette palette = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, VbColour(back));
        if (text) palette.setColor(group, QPalette::WindowText, VbColour(*text));
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

}  // namespace tintwell::ui
