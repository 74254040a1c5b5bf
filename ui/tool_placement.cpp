#include "ui/tool_placement.h"

#include <algorithm>
#include <array>

namespace tintwell::ui {
namespace {

constexpr int kGap = 8;

// The rectangle moved, as little as it takes, onto the screen (its top-left corner where it is
// larger than the screen).
QRect OntoScreen(QRect r, const QRect& available) {
    r.moveLeft(std::max(available.left(), std::min(r.left(), available.right() - r.width() + 1)));
    r.moveTop(std::max(available.top(), std::min(r.top(), available.bottom() - r.height() + 1)));
    return r;
}

qint64 Area(const QRect& r) {
    return r.isEmpty() ? 0 : qint64{r.width()} * r.height();
}

}  // namespace

QPoint PlaceBeside(const QRect& main, const QRect& picture, QSize tool, const QRect& available) {
    const std::array<QRect, 4> sides = {
        QRect(QPoint(main.right() + 1 + kGap, main.top()), tool),
        QRect(QPoint(main.left() - kGap - tool.width(), main.top()), tool),
        QRect(QPoint(main.left(), main.bottom() + 1 + kGap), tool),
        QRect(QPoint(main.left(), main.top() - kGap - tool.height()), tool)};
    for (int i = 0; i < 4; ++i) {
        // Along the side, the window may slide to stay on the screen; it never meets the main
        // window, which lies across the gap from it.
        QRect r = sides[i];
        const QRect slid = OntoScreen(r, available);
        if (i < 2)
            r.moveTop(slid.top());
        else
            r.moveLeft(slid.left());
        if (available.contains(r)) return r.topLeft();
    }
    QRect best = OntoScreen(sides[0], available);
    for (const QRect& side : sides) {
        const QRect r = OntoScreen(side, available);
        if (Area(r.intersected(picture)) < Area(best.intersected(picture))) best = r;
    }
    return best.topLeft();
}

}  // namespace tintwell::ui
