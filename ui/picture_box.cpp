#include "ui/picture_box.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "engine/pixel.h"

namespace tintwell::ui {
namespace {
// Repainting every finished row would cost more than the pass; about 60 times a second is
// enough for the eye.
constexpr qint64 kRepaintIntervalMs = 16;
}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_sinceRepaint.start();
}

void PictureBox::SetPicture(engine::PixelBuffer picture) {
    m_view = QImage();
    m_pixels = std::move(picture);
    m_view = QImage(reinterpret_cast<uchar*>(m_pixels.Data()), m_pixels.Width(), m_pixels.Height(),
                    static_cast<qsizetype>(m_pixels.Stride() * sizeof(std::uint32_t)),
                    QImage::Format_RGB32);
    m_dirtyTop = m_dirtyBottom = -1;
    setFixedSize(m_pixels.Width(), m_pixels.Height());
    update();
}

std::int32_t PictureBox::Point(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_pixels.Width() || y >= m_pixels.Height()) return -1;
    return static_cast<std::int32_t>(engine::PixelToColour(m_pixels.Row(y)[x]));
}

void PictureBox::PSet(int x, int y, std::uint32_t colour) {
    if (x < 0 || y < 0 || x >= m_pixels.Width() || y >= m_pixels.Height()) return;
    m_pixels.Row(y)[x] = engine::ColourToPixel(colour);
    RowDone(y);
}

std::span<std::uint32_t> PictureBox::Row(int y) {
    if (y < 0 || y >= m_pixels.Height()) return {};
    return {m_pixels.Row(y), m_pixels.Stride()};
}

void PictureBox::RowDone(int y) {
    m_dirtyTop = m_dirtyTop < 0 ? y : std::min(m_dirtyTop, y);
    m_dirtyBottom = std::max(m_dirtyBottom, y);
    if (m_sinceRepaint.elapsed() >= kRepaintIntervalMs) FlushRepaint();
}

void PictureBox::FlushRepaint() {
    if (m_dirtyTop < 0) return;
    update(0, m_dirtyTop, m_pixels.Width(), m_dirtyBottom - m_dirtyTop + 1);
    m_dirtyTop = m_dirtyBottom = -1;
    m_sinceRepaint.restart();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    if (m_view.isNull()) {
        painter.fillRect(area, palette().window());
        return;
    }
    painter.drawImage(area.topLeft(), m_view, area);
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    emit MouseDown(event->button(), event->modifiers(), static_cast<int>(std::floor(at.x())),
                   static_cast<int>(std::floor(at.y())));
}

}  // namespace tintwell::ui
