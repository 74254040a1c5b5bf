#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

#include "engine/pixel_buffer.h"
#include "engine/surface.h"

namespace tintwell::ui {

// Shows a picture 1:1 (a picture pixel is a logical pixel) and is the surface the correction
// pass works on: the pass writes straight into the pixels this widget paints from.
class PictureBox : public QWidget, public engine::Surface {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Replaces the picture and everything written into it, and takes the picture's size.
    void SetPicture(engine::PixelBuffer picture);
    const engine::PixelBuffer& Pixels() const { return m_pixels; }

    int ScaleWidth() const override { return m_pixels.Width(); }
    int ScaleHeight() const override { return m_pixels.Height(); }
    std::int32_t Point(int x, int y) const override;
    void PSet(int x, int y, std::uint32_t colour) override;
    std::span<std::uint32_t> Row(int y) override;
    void RowDone(int y) override;
    // Asks for a repaint of rows written since the last one; the pass calls RowDone for each.
    void FlushRepaint();

signals:
    // A press of any mouse button, in picture pixels.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    engine::PixelBuffer m_pixels;
    QImage m_view;  // shares m_pixels' memory
    int m_dirtyTop = -1, m_dirtyBottom = -1;
    QElapsedTimer m_sinceRepaint;
};

}  // namespace tintwell::ui
