#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>
#include <optional>

#include "engine/histogram.h"
#include "engine/pixel_buffer.h"
#include "ui/reduced_view.h"
#include "ui/view_look.h"

namespace tintwell::ui {

// Shows a picture it does not own (the document's, or a roll's frame, of any layout: 16-bit
// samples as round(v / 257)) at a zoom (at 100% one picture pixel is one device pixel, whatever
// the screen's scale factor); the correction pass writes straight into the pixels this widget
// paints from, and tells it which rows it changed. It takes the size of the picture as shown.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Shows this picture from now on; the zoom stays. The pixels stay valid until the next call.
    void Show(const engine::PixelBuffer* pixels);
    const engine::PixelBuffer& Pixels() const { return *m_pixels; }
    QSize PictureSize() const { return {m_pixels->Width(), m_pixels->Height()}; }
    // The picture's size at 100%, in logical pixels: what the window fits itself to.
    QSizeF NaturalSize() const;

    double Zoom() const { return m_zoom; }
    void SetZoom(double zoom);

    // The colour 0x00BBGGRR of the pixel at (x, y) as shown, or -1 off the picture.
    std::int32_t Point(int x, int y) const;
    // Row y of the picture has been written; the view catches up.
    void RowChanged(int y);
    // Asks for a repaint of rows written since the last one.
    void FlushRepaint();

    // Shows the picture with this look (preview, clipping warning) from now on.
    void SetLook(Look look);
    const Look& GetLook() const { return m_look; }

    // The region shown outlined, in picture pixels, if one is.
    const std::optional<engine::Region>& Region() const { return m_region; }
    void SetRegion(std::optional<engine::Region> region);
    // Asks for the region to be cleared (Escape).
    void ClearRegion() { emit RegionMarked(std::nullopt); }

signals:
    // A press of any mouse button, at the picture pixel under the pointer (-1, -1 off it).
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void PictureReplaced();
    // A Shift+drag has marked a region (both corner pixels in it), or it is to be cleared.
    void RegionMarked(const std::optional<engine::Region>& region);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    static const engine::PixelBuffer kNone;

    // The rule the view averages below 100%, where the look asks for it.
    const engine::ShownRule* AveragedRule() const {
        return m_look.exactEverywhere ? m_look.exact.get() : nullptr;
    }
    Look LookOnDrawn() const;
    void BringReducedViewInStep();
    QRect ViewRectOfRows(int first, int last) const;
    void Draw(QImage& into, QRect device, const engine::ShownRule* rule = nullptr);
    bool BringDrawnViewInStep();
    const QImage& Shown();
    void PaintRegion(QPainter& painter) const;
    QPoint PixelAt(QPointF position) const;

    const engine::PixelBuffer* m_pixels = &kNone;
    QImage m_direct;        // shares the pixels' memory, for painting at 100%
    ReducedView m_reduced;  // built when first needed, below 100%
    bool m_reducedBuilt = false;
    int m_staleFirst = -1, m_staleLast = -1;  // rows the reduced view does not yet show
    // The whole view as last drawn, below 100% and where it is small enough (about a screen):
    // a paint that follows no change is a copy; rows the pass changes are drawn again.
    QImage m_drawn;
    int m_drawnStaleTop = 0, m_drawnStaleBottom = -1;  // device rows to draw again
    // The same with the look, kept until the drawn view or the look changes.
    QImage m_shown;
    bool m_shownStale = true;
    Look m_look;
    std::optional<engine::Region> m_region;
    std::optional<QPoint> m_dragFrom;  // where a Shift+drag started
    std::optional<engine::Region> m_regionBefore;
    double m_zoom = 1.0;
    int m_dirtyTop = -1, m_dirtyBottom = -1;
    QElapsedTimer m_sinceRepaint;
};

}  // namespace tintwell::ui
