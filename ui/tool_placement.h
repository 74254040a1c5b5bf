#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace tintwell::ui {

// Where a tool window of outer size `tool` goes beside the main window `main` (frames included,
// in screen coordinates): to its right, left, below or above, the first of these that lies
// wholly on the `available` screen clear of the main window. Where none does, of those moved
// onto the screen, the one that covers least of the shown `picture`. Returns its frame's
// top-left corner.
QPoint PlaceBeside(const QRect& main, const QRect& picture, QSize tool, const QRect& available);

}  // namespace tintwell::ui
