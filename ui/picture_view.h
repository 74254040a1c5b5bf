#pragma once

#include <QScrollArea>
#include <functional>

class QAction;
class QToolButton;

namespace tintwell::ui {

class PictureBox;

// The picture area below the strip: it owns the zoom and the scrolling of the picture box
// inside it. Ctrl+wheel zooms around the pointer, Ctrl++ / Ctrl+- step and Ctrl+0 is 100%
// anywhere in the window; with the picture focused, F fits, 1 is 100%, + and - step, P asks
// for the preview and J for the clipping warning, Escape clears the region. While the pointer
// is over the picture, a zoom box in the corner says the zoom and how the picture is shown,
// lists the keys in its tooltip and offers them in its menu.
class PictureView : public QScrollArea {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent = nullptr);

    PictureBox* Picture() const { return m_picture; }
    double Zoom() const;
    bool IsFitted() const { return m_fitted; }

    // Shows the whole picture within the area, never enlarged; it stays fitted as the area
    // or the picture changes, until the user zooms.
    void ZoomToFit();
    // Sets the zoom, keeping the picture point under `anchor` (a viewport point) in place.
    void ZoomTo(double zoom, QPointF anchor);
    void ZoomBy(int steps);

    // What the zoom box says after the zoom: the preview and the clipping warning, as they are.
    void SetLookNote(const QString& note, bool preview, bool clipping);
    // A further entry of the zoom box's menu.
    void AddMenuEntry(const QString& text, std::function<void()> action);

signals:
    void PreviewAsked();
    void ClippingAsked();

protected:
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void AddShortcuts();
    void BuildZoomBox();
    void ShowZoom();
    QPointF Centre() const;

    PictureBox* m_picture;
    QToolButton* m_zoomBox = nullptr;
    QAction* m_previewAction = nullptr;
    QAction* m_clippingAction = nullptr;
    QString m_lookNote;
    bool m_fitted = false;
    int m_wheelTurn = 0;  // eighths of a degree not yet made into zoom steps
};

}  // namespace tintwell::ui
