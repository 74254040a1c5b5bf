#include "ui/view_mapping.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tintwell::ui {
namespace {

// Stops of 2, 3, 4, 6, 8, 12, 16 and their inverses: every step is x1.33 or x1.5.
constexpr std::array<double, 21> kLadder = {
    1.0 / 64, 1.0 / 48, 1.0 / 32, 1.0 / 24, 1.0 / 16, 1.0 / 12, 1.0 / 8,
    1.0 / 6,  1.0 / 4,  1.0 / 3,  1.0 / 2,  2.0 / 3,  1.0,      1.5,
    2.0,      3.0,      4.0,      6.0,      8.0,      12.0,     16.0};
constexpr double kSame = 1e-9;  // zooms closer than this are one stop

int CeilWhole(double v) {
    return static_cast<int>(std::ceil(v - 1e-9));
}

}  // namespace

QPoint PictureAt(QPointF viewport, QPoint scroll, double zoom, double dpr, QSize picture) {
    const QPointF view = viewport + QPointF(scroll);
    const int dx = static_cast<int>(std::floor(view.x() * dpr));
    const int dy = static_cast<int>(std::floor(view.y() * dpr));
    const QPoint p(PixelOfDevice(dx, zoom), PixelOfDevice(dy, zoom));
    if (dx < 0 || dy < 0 || p.x() >= picture.width() || p.y() >= picture.height()) return {-1, -1};
    return p;
}

QSize ViewSize(QSize picture, double zoom, double dpr) {
    return {std::max(1, CeilWhole(picture.width() * zoom / dpr)),
            std::max(1, CeilWhole(picture.height() * zoom / dpr))};
}

QSizeF NaturalSize(QSize picture, double dpr) {
    return {picture.width() / dpr, picture.height() / dpr};
}

double FitZoom(QSize picture, QSize area, double dpr) {
    if (picture.isEmpty() || area.isEmpty()) return 1.0;
    const double fit =
        std::min(area.width() * dpr / picture.width(), area.height() * dpr / picture.height());
    return std::clamp(fit, 1e-4, 1.0);
}

double StepZoom(double zoom, int steps) {
    for (; steps > 0; --steps) {
        const auto next = std::upper_bound(kLadder.begin(), kLadder.end(), zoom + kSame);
        zoom = next == kLadder.end() ? kLadder.back() : *next;
    }
    for (; steps < 0; ++steps) {
        const auto below = std::lower_bound(kLadder.begin(), kLadder.end(), zoom - kSame);
        zoom = below == kLadder.begin() ? kLadder.front() : *(below - 1);
    }
    return zoom;
}

QPoint ScrollKeeping(QPointF anchor, QPoint scroll, double from, double to) {
    const QPointF view = (anchor + QPointF(scroll)) * (to / from);
    return (view - anchor).toPoint();
}

}  // namespace tintwell::ui
