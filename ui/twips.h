#pragma once

#include <QPoint>
#include <QRect>
#include <cmath>
#include <cstdint>

namespace tintwell::ui {

// Window geometry is reckoned in twips, 15 to a logical pixel.
inline constexpr double kTwipsPerPixel = 15.0;

inline int FromTwips(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}
inline double ToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}
inline QPoint FromTwips(const QPoint& p) {
    return {FromTwips(p.x()), FromTwips(p.y())};
}
inline QRect FromTwips(const QRect& r) {
    return {FromTwips(r.x()), FromTwips(r.y()), FromTwips(r.width()), FromTwips(r.height())};
}

}  // namespace tintwell::ui
