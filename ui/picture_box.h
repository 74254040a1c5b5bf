#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

#include "engine/pixel_buffer.h"
#include "engine/surface.h"
#include "ui/reduced_view.h"

namespace tintwell::ui {

// Shows the picture at a zoom (at 100% one picture pixel is one device pixel, whatever the
// screen's scale factor) and is the surface the correction pass works on: the pass writes
// straight into the pixels this widget paints from. It takes the size of the picture as shown.
class PictureBox : public QWidget, public engine::Surface {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Replaces the picture and everything written into it; the zoom stays.
    void SetPicture(engine::PixelBuffer picture);
    const engine::PixelBuffer& Pixels() const { return m_pixels; }
    QSize PictureSize() const { return {m_pixels.Width(), m_pixels.Height()}; }
    // The picture's size at 100%, in logical pixels: what the window fits itself to.
    QSizeF NaturalSize() const;

    double Zoom() const { return m_zoom; }
    void SetZoom(double zoom);

    int ScaleWidth() const override { return m_pixels.Width(); }
    int ScaleHeight() const override { return m_pixels.Height(); }
    std::int32_t Point(int x, int y) const override;
    void PSet(int x, int y, std::uint32_t colour) override;
    std::span<std::uint32_t> Row(int y) override;
    void RowDone(int y) override;
    // Asks for a repaint of rows written since the last one; the pass calls RowDone for each.
    void FlushRepaint();

signals:
    // A press of any mouse button, at the picture pixel under the pointer (-1, -1 off it).
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void PictureReplaced();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void BringReducedViewInStep();
    QRect ViewRectOfRows(int first, int last) const;
    void Draw(QImage& into, QRect device);
    bool BringDrawnViewInStep();

    engine::PixelBuffer m_pixels;
    QImage m_direct;        // shares m_pixels' memory, for painting at 100%
    ReducedView m_reduced;  // built when first needed, below 100%
    bool m_reducedBuilt = false;
    int m_staleFirst = -1, m_staleLast = -1;  // rows the reduced view does not yet show
    // The whole view as last drawn, below 100% and where it is small enough (about a screen):
    // a paint that follows no change is a copy; rows the pass changes are drawn again.
    QImage m_drawn;
    int m_drawnStaleTop = 0, m_drawnStaleBottom = -1;  // device rows to draw again
    double m_zoom = 1.0;
    int m_dirtyTop = -1, m_dirtyBottom = -1;
    QElapsedTimer m_sinceRepaint;
};

}  // namespace tintwell::ui
