#include "ui/picture_view.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>
#include <QShortcut>
#include <QToolButton>
#include <QWheelEvent>
#include <cmath>

#include "ui/picture_box.h"
#include "ui/view_mapping.h"

namespace tintwell::ui {
namespace {

constexpr int kWheelStep = 120;  // one notch of a mouse wheel

const char* const kZoomKeys =
    "Zoom: Ctrl+wheel over the picture, Ctrl++ and Ctrl+- step, Ctrl+0 shows 100%.\n"
    "After a click on the picture: F fits it, 1 shows 100%, + and - step.\n"
    "P: preview, the picture as Process would make it with the points as they stand.\n"
    "J: clipping warning, pure red where a channel is at 255, pure blue where one is at 0.\n"
    "Shift+drag: mark a region for the histograms and the pickers; Escape clears it.\n"
    "The wheel and the scroll bars move the picture.";

}  // namespace

PictureView::PictureView(QWidget* parent) : QScrollArea(parent), m_picture(new PictureBox) {
    setObjectName(QStringLiteral("pictureArea"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidget(m_picture);
    connect(m_picture, &PictureBox::PictureReplaced, this, [this] {
        if (m_fitted) ZoomToFit();
        ShowZoom();
    });
    AddShortcuts();
    BuildZoomBox();
}

double PictureView::Zoom() const {
    return m_picture->Zoom();
}

void PictureView::ZoomToFit() {
    m_fitted = true;
    m_picture->SetZoom(
        FitZoom(m_picture->PictureSize(), maximumViewportSize(), m_picture->devicePixelRatioF()));
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    ShowZoom();
}

void PictureView::ZoomTo(double zoom, QPointF anchor) {
    m_fitted = false;
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QPoint kept = ScrollKeeping(anchor, scroll, Zoom(), zoom);
    m_picture->SetZoom(zoom);
    horizontalScrollBar()->setValue(kept.x());
    verticalScrollBar()->setValue(kept.y());
    ShowZoom();
}

void PictureView::ZoomBy(int steps) {
    ZoomTo(StepZoom(Zoom(), steps), Centre());
}

QPointF PictureView::Centre() const {
    return QRectF(viewport()->rect()).center();
}

void PictureView::AddShortcuts() {
    const auto add = [this](QKeySequence keys, QWidget* on, Qt::ShortcutContext context,
                            auto action) {
        auto* shortcut = new QShortcut(keys, on, action);
        shortcut->setContext(context);
    };
    // Anywhere in the window.
    for (QKeySequence in :
         {QKeySequence(QKeySequence::ZoomIn), QKeySequence(Qt::CTRL | Qt::Key_Plus),
          QKeySequence(Qt::CTRL | Qt::Key_Equal)}) {
        add(in, this, Qt::WindowShortcut, [this] { ZoomBy(1); });
    }
    add(QKeySequence(Qt::CTRL | Qt::Key_Minus), this, Qt::WindowShortcut, [this] { ZoomBy(-1); });
    add(QKeySequence(Qt::CTRL | Qt::Key_0), this, Qt::WindowShortcut,
        [this] { ZoomTo(1.0, Centre()); });
    // With the picture focused.
    add(QKeySequence(Qt::Key_F), m_picture, Qt::WidgetShortcut, [this] { ZoomToFit(); });
    add(QKeySequence(Qt::Key_1), m_picture, Qt::WidgetShortcut, [this] { ZoomTo(1.0, Centre()); });
    for (QKeySequence in : {QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal)}) {
        add(in, m_picture, Qt::WidgetShortcut, [this] { ZoomBy(1); });
    }
    add(QKeySequence(Qt::Key_Minus), m_picture, Qt::WidgetShortcut, [this] { ZoomBy(-1); });
    add(QKeySequence(Qt::Key_P), m_picture, Qt::WidgetShortcut, [this] { emit PreviewAsked(); });
    add(QKeySequence(Qt::Key_J), m_picture, Qt::WidgetShortcut, [this] { emit ClippingAsked(); });
    add(QKeySequence(Qt::Key_Escape), m_picture, Qt::WidgetShortcut,
        [this] { m_picture->ClearRegion(); });
}

void PictureView::BuildZoomBox() {
    m_zoomBox = new QToolButton(this);
    m_zoomBox->setObjectName(QStringLiteral("zoomBox"));
    m_zoomBox->setToolTip(QString::fromLatin1(kZoomKeys));
    m_zoomBox->setPopupMode(QToolButton::InstantPopup);
    m_zoomBox->setAutoRaise(false);
    auto* menu = new QMenu(m_zoomBox);
    menu->addAction(QStringLiteral("Fit to window\tF"), this, [this] { ZoomToFit(); });
    menu->addAction(QStringLiteral("100%\tCtrl+0, 1"), this, [this] { ZoomTo(1.0, Centre()); });
    menu->addAction(QStringLiteral("Zoom in\tCtrl++, +"), this, [this] { ZoomBy(1); });
    menu->addAction(QStringLiteral("Zoom out\tCtrl+-, -"), this, [this] { ZoomBy(-1); });
    menu->addSeparator();
    m_previewAction =
        menu->addAction(QStringLiteral("Preview\tP"), this, [this] { emit PreviewAsked(); });
    m_previewAction->setCheckable(true);
    m_clippingAction = menu->addAction(QStringLiteral("Clipping warning\tJ"), this,
                                       [this] { emit ClippingAsked(); });
    m_clippingAction->setCheckable(true);
    menu->addAction(QStringLiteral("Clear region\tEsc"), this,
                    [this] { m_picture->ClearRegion(); });
    m_zoomBox->setMenu(menu);
    m_zoomBox->hide();
}

void PictureView::AddMenuEntry(const QString& text, std::function<void()> action) {
    m_zoomBox->menu()->addSeparator();
    m_zoomBox->menu()->addAction(text, this, std::move(action));
}

void PictureView::SetLookNote(const QString& note, bool preview, bool clipping) {
    m_lookNote = note;
    m_previewAction->setChecked(preview);
    m_clippingAction->setChecked(clipping);
    ShowZoom();
}

void PictureView::ShowZoom() {
    const int percent = static_cast<int>(std::lround(Zoom() * 100));
    QString text = m_fitted && percent != 100 ? QStringLiteral("Fit %1%").arg(percent)
                                              : QStringLiteral("%1%").arg(percent);
    if (!m_lookNote.isEmpty()) text += QStringLiteral(" \u00b7 ") + m_lookNote;
    m_zoomBox->setText(text);
    m_zoomBox->adjustSize();
    const QRect area = viewport()->geometry();
    m_zoomBox->move(area.right() - m_zoomBox->width() - 3, area.top() + 3);
}

void PictureView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) return QScrollArea::wheelEvent(event);
    m_wheelTurn += event->angleDelta().y();
    const int steps = m_wheelTurn / kWheelStep;
    m_wheelTurn -= steps * kWheelStep;
    if (steps != 0) ZoomTo(StepZoom(Zoom(), steps), event->position());
    event->accept();
}

void PictureView::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    if (m_fitted) ZoomToFit();
    ShowZoom();
}

// The zoom box shows while the pointer is over the picture area (the box included).
void PictureView::enterEvent(QEnterEvent* event) {
    QScrollArea::enterEvent(event);
    ShowZoom();
    m_zoomBox->show();
    m_zoomBox->raise();
}

void PictureView::leaveEvent(QEvent* event) {
    QScrollArea::leaveEvent(event);
    m_zoomBox->hide();
}

}  // namespace tintwell::ui
