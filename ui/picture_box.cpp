#include "ui/picture_box.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "engine/pixel.h"
#include "engine/screen_pixels.h"
#include "ui/view_mapping.h"
#include "ui/view_render.h"

namespace tintwell::ui {
namespace {
// Repainting every finished row would cost more than the pass; about 60 times a second is
// enough for the eye.
constexpr qint64 kRepaintIntervalMs = 16;
// Rows the pass writes between updates of the reduced view: few enough to be in the cache
// still, so that keeping it in step costs little.
constexpr int kReducedBatch = 16;
// The largest view kept whole as drawn: a little more than a 4K screen.
constexpr qint64 kMostDrawnPixels = qint64{10} << 20;
}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_sinceRepaint.start();
}

const engine::PixelBuffer PictureBox::kNone;

void PictureBox::Show(const engine::PixelBuffer* pixels) {
    m_reduced.Clear();
    m_pixels = pixels != nullptr ? pixels : &kNone;
    m_direct = m_pixels->IsScreenLayout()
                   ? QImage(reinterpret_cast<const uchar*>(m_pixels->Data()), m_pixels->Width(),
                            m_pixels->Height(), static_cast<qsizetype>(m_pixels->RowSize()),
                            QImage::Format_RGB32)
                   : QImage();
    m_reducedBuilt = false;
    m_staleFirst = m_staleLast = -1;
    m_drawn = QImage();
    m_dirtyTop = m_dirtyBottom = -1;
    setFixedSize(ViewSize(PictureSize(), m_zoom, devicePixelRatioF()));
    update();
    emit PictureReplaced();
}

QSizeF PictureBox::NaturalSize() const {
    return ui::NaturalSize(PictureSize(), devicePixelRatioF());
}

void PictureBox::SetZoom(double zoom) {
    if (zoom != m_zoom) m_drawn = QImage();
    m_zoom = zoom;
    setFixedSize(ViewSize(PictureSize(), m_zoom, devicePixelRatioF()));
    update();
}

std::int32_t PictureBox::Point(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_pixels->Width() || y >= m_pixels->Height()) return -1;
    std::uint32_t shown = 0;
    engine::ScreenPixels(*m_pixels, y, x, 1, &shown);
    return static_cast<std::int32_t>(engine::PixelToColour(shown));
}

void PictureBox::RowChanged(int y) {
    m_dirtyTop = m_dirtyTop < 0 ? y : std::min(m_dirtyTop, y);
    m_dirtyBottom = std::max(m_dirtyBottom, y);
    m_staleFirst = m_staleFirst < 0 ? y : std::min(m_staleFirst, y);
    m_staleLast = std::max(m_staleLast, y);
    // Shown reduced, the view is kept in step while the rows are still in the cache; at 100%
    // and above it catches up only when it is next needed.
    const bool batchDone =
        m_staleLast - m_staleFirst + 1 >= kReducedBatch || m_staleLast == m_pixels->Height() - 1;
    if (m_zoom < 1.0 && m_reducedBuilt && batchDone) BringReducedViewInStep();
    if (m_sinceRepaint.elapsed() >= kRepaintIntervalMs) FlushRepaint();
}

void PictureBox::BringReducedViewInStep() {
    if (!m_reducedBuilt) {
        m_reduced.Rebuild(*m_pixels, AveragedRule());
        m_reducedBuilt = true;
    } else if (m_staleFirst >= 0) {
        m_reduced.Update(*m_pixels, m_staleFirst, m_staleLast, AveragedRule());
    }
    m_staleFirst = m_staleLast = -1;
}

QRect PictureBox::ViewRectOfRows(int first, int last) const {
    const double scale = m_zoom / devicePixelRatioF();
    const int top = static_cast<int>(std::floor(first * scale));
    const int bottom = static_cast<int>(std::ceil((last + 1) * scale));
    return {0, top, width(), bottom - top + 1};
}

void PictureBox::FlushRepaint() {
    if (m_dirtyTop < 0) return;
    const QRect rows = ViewRectOfRows(m_dirtyTop, m_dirtyBottom);
    const double dpr = devicePixelRatioF();
    const int top = static_cast<int>(std::floor(rows.top() * dpr));
    const int bottom = static_cast<int>(std::ceil((rows.bottom() + 1) * dpr)) - 1;
    m_drawnStaleTop = m_drawnStaleBottom < m_drawnStaleTop ? top : std::min(m_drawnStaleTop, top);
    m_drawnStaleBottom = std::max(m_drawnStaleBottom, bottom);
    update(rows);
    m_dirtyTop = m_dirtyBottom = -1;
    m_sinceRepaint.restart();
}

void PictureBox::Draw(QImage& into, QRect device, const engine::ShownRule* rule) {
    if (m_zoom < 1.0) {
        BringReducedViewInStep();
        rule = AveragedRule();
    }
    RenderView(*m_pixels, m_reduced, m_zoom,
               {device.x(), device.y(), device.width(), device.height()},
               reinterpret_cast<std::uint32_t*>(into.scanLine(0)),
               static_cast<std::size_t>(into.bytesPerLine()) / sizeof(std::uint32_t),
               palette().window().color().rgb(), rule);
}

// Draws what has changed of the whole view kept as drawn; false where the view is too large to
// keep whole.
bool PictureBox::BringDrawnViewInStep() {
    const QSize whole(static_cast<int>(std::ceil(m_pixels->Width() * m_zoom - 1e-9)),
                      static_cast<int>(std::ceil(m_pixels->Height() * m_zoom - 1e-9)));
    if (m_zoom >= 1.0 || qint64{whole.width()} * whole.height() > kMostDrawnPixels) return false;
    if (m_drawn.size() != whole) {
        m_drawn = QImage(whole, QImage::Format_RGB32);
        m_drawnStaleTop = 0;
        m_drawnStaleBottom = whole.height() - 1;
    }
    const int top = std::max(0, m_drawnStaleTop);
    const int bottom = std::min(whole.height() - 1, m_drawnStaleBottom);
    if (top <= bottom) {
        QImage band(m_drawn.scanLine(top), whole.width(), bottom - top + 1, m_drawn.bytesPerLine(),
                    QImage::Format_RGB32);
        Draw(band, QRect(0, top, whole.width(), bottom - top + 1));
        m_shownStale = true;
    }
    m_drawnStaleTop = 0;
    m_drawnStaleBottom = -1;
    return true;
}

// What is left of the look to apply to the view as drawn: the preview is already in it where
// the rule was drawn with.
Look PictureBox::LookOnDrawn() const {
    Look look = m_look;
    if (look.exact && (m_zoom >= 1.0 || look.exactEverywhere)) look.preview.reset();
    look.exact.reset();
    return look;
}

// The view kept as drawn, with the look: a paint that follows no change is still a copy.
const QImage& PictureBox::Shown() {
    const Look look = LookOnDrawn();
    if (look.IsPlain()) return m_drawn;
    if (m_shownStale || m_shown.size() != m_drawn.size()) {
        m_shown = m_drawn.copy();
        for (int y = 0; y < m_shown.height(); ++y)
            ApplyLook(look, reinterpret_cast<std::uint32_t*>(m_shown.scanLine(y)),
                      static_cast<std::size_t>(m_shown.width()));
        m_shownStale = false;
    }
    return m_shown;
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, palette().window());
    if (m_pixels->IsEmpty()) return;
    const double dpr = devicePixelRatioF();
    const QRect device(QPoint(static_cast<int>(std::floor(area.left() * dpr)),
                              static_cast<int>(std::floor(area.top() * dpr))),
                       QPoint(static_cast<int>(std::ceil((area.right() + 1) * dpr)) - 1,
                              static_cast<int>(std::ceil((area.bottom() + 1) * dpr)) - 1));
    const QRectF target(QPointF(device.topLeft()) / dpr, QSizeF(device.size()) / dpr);
    if (m_zoom == 1.0 && m_look.IsPlain() && !m_direct.isNull()) {
        painter.drawImage(target, m_direct, QRectF(device));
    } else if (BringDrawnViewInStep()) {
        painter.drawImage(target, Shown(), QRectF(device));
    } else {
        // At 100% and above an exact preview works on the picture's own samples; the clipping
        // warning then goes on what it shows.
        const Look look = LookOnDrawn();
        QImage shown(device.size(), QImage::Format_RGB32);
        Draw(shown, device, m_zoom >= 1.0 ? m_look.exact.get() : nullptr);
        for (int y = 0; y < shown.height(); ++y)
            ApplyLook(look, reinterpret_cast<std::uint32_t*>(shown.scanLine(y)),
                      static_cast<std::size_t>(shown.width()));
        shown.setDevicePixelRatio(dpr);
        painter.drawImage(target.topLeft(), shown);
    }
    PaintRegion(painter);
}

void PictureBox::SetLook(Look look) {
    // A view averaged through a rule is drawn afresh when the rule changes.
    const bool redraw =
        (look.exactEverywhere || m_look.exactEverywhere) &&
        (look.exact != m_look.exact || look.exactEverywhere != m_look.exactEverywhere);
    m_look = std::move(look);
    if (redraw) {
        m_reduced.Clear();
        m_reducedBuilt = false;
        m_staleFirst = m_staleLast = -1;
        m_drawn = QImage();
    }
    m_shownStale = true;
    update();
}

}  // namespace tintwell::ui
