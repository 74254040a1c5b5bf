#pragma once

#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QSizeF>
#include <cmath>

namespace tintwell::ui {

// Coordinate systems of the picture view:
//
//   picture pixels  (px, py)   the picture's own pixels, (0, 0) at its top-left
//   device pixels   (dx, dy)   the screen's pixels over the picture as shown, from its top-left;
//                              at zoom z one picture pixel spans z device pixels, so at 100%
//                              (z = 1) one picture pixel is one device pixel
//   view points     (vx, vy)   logical pixels over the picture as shown: device / dpr, where
//                              dpr is the screen's device pixel ratio (2 on a "200%" screen)
//   viewport points            logical pixels over the visible part; view = viewport + scroll
//
// A device pixel shows the picture pixel under its centre: px = floor((dx + 0.5) / z). At
// zooms below 100% it shows the average of the picture pixels it covers, which include that one.

inline constexpr double kMinZoom = 1.0 / 64;
inline constexpr double kMaxZoom = 16.0;

// The picture pixel a device pixel shows along one axis.
inline int PixelOfDevice(int device, double zoom) {
    return static_cast<int>(std::floor((device + 0.5) / zoom));
}

// The picture pixel shown under a viewport point, or (-1, -1) off the picture.
QPoint PictureAt(QPointF viewport, QPoint scroll, double zoom, double dpr, QSize picture);

// The size of the picture as shown, in logical pixels, rounded up to whole ones.
QSize ViewSize(QSize picture, double zoom, double dpr);
// The picture's size at 100%, in logical pixels (not rounded).
QSizeF NaturalSize(QSize picture, double dpr);

// The largest zoom that shows the whole picture in `area` logical pixels, never above 100%.
double FitZoom(QSize picture, QSize area, double dpr);

// The zoom `steps` stops up (or down, when negative) the ladder from 1/64 through 100% to 16x;
// a zoom between two stops goes to the next stop in that direction.
double StepZoom(double zoom, int steps);

// The scroll position that keeps the view point under `anchor` (a viewport point) in place
// when the zoom changes from `from` to `to`.
QPoint ScrollKeeping(QPointF anchor, QPoint scroll, double from, double to);

}  // namespace tintwell::ui
