// The picture box's region: marked by Shift+drag in picture pixels, drawn as an outline at every
// zoom; and the press that shows a pixel's values, with or without Shift.
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "ui/picture_box.h"
#include "ui/view_mapping.h"

namespace tintwell::ui {
namespace {

// The pixels from one corner to the other, both in.
engine::Region Between(QPoint a, QPoint b) {
    return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()) + 1,
            std::max(a.y(), b.y()) + 1};
}

}  // namespace

// The picture pixel under a view point, kept on the picture: a drag may run past its edge.
QPoint PictureBox::PixelAt(QPointF position) const {
    const double dpr = devicePixelRatioF();
    const auto along = [&](double view, int size) {
        const int device = static_cast<int>(std::floor(view * dpr));
        return std::clamp(PixelOfDevice(device, m_zoom), 0, size - 1);
    };
    return {along(position.x(), m_pixels->Width()), along(position.y(), m_pixels->Height())};
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    const QPoint at =
        PictureAt(event->position(), QPoint(0, 0), m_zoom, devicePixelRatioF(), PictureSize());
    emit MouseDown(event->button(), event->modifiers(), at.x(), at.y());
    const bool marking = event->button() == Qt::LeftButton &&
                         (event->modifiers() & Qt::ShiftModifier) && !m_pixels->IsEmpty();
    m_dragFrom = marking ? std::optional(PixelAt(event->position())) : std::nullopt;
    m_regionBefore = m_region;
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragFrom) return;
    const QPoint to = PixelAt(event->position());
    m_region = to == *m_dragFrom ? m_regionBefore : Between(*m_dragFrom, to);
    update();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragFrom) return;
    const QPoint from = *m_dragFrom, to = PixelAt(event->position());
    m_dragFrom.reset();
    // A Shift+click that went nowhere leaves the region as it was.
    m_region = m_regionBefore;
    update();
    if (to != from) emit RegionMarked(Between(from, to));
}

void PictureBox::SetRegion(std::optional<engine::Region> region) {
    m_region = region;
    update();
}

// A dark line and a light dashed one over it, so that the outline shows on any picture.
void PictureBox::PaintRegion(QPainter& painter) const {
    if (!m_region) return;
    const double scale = m_zoom / devicePixelRatioF();
    const QRectF outline(m_region->left * scale, m_region->top * scale,
                         (m_region->right - m_region->left) * scale,
                         (m_region->bottom - m_region->top) * scale);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(outline);
    painter.setPen(QPen(Qt::white, 0, Qt::DashLine));
    painter.drawRect(outline);
}

}  // namespace tintwell::ui
