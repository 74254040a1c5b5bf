#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "document/picture_model.h"
#include "engine/histogram.h"
#include "engine/levels.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace tintwell::ui {

class HistogramView;

// The histograms of a window's picture (of the region marked on it, or else of the picture less
// its border) with the black and white points drawn on them as the model settles them, the share
// of pixels each point sends to 0 and to 255, the counted pixels' size and means, Suggest points
// with the clip shares and the border it uses, the pickers that take a point from the means, and
// the preview's switch. It follows the model, writes nothing into it but through its signals, and
// does no work while hidden or while a pass is under way. A tool window beside the main window,
// or a panel of another window.
class HistogramWindow : public QWidget {
    Q_OBJECT
public:
    HistogramWindow(document::PictureModel& model, QWidget* parent, bool tool = true);

    // The shown picture has been corrected with these levels: the histograms follow through the
    // rule, without reading the pixels again.
    void PictureLevelled(const engine::Levels& levels);

    // Shows the window; the first time, beside the main window and clear of its picture (on the
    // screen at this rectangle) where the screen has room.
    void ShowBeside(const QRect& pictureOnScreen);

    const std::optional<engine::Histograms>& Histograms() const { return m_histograms; }
    void Suggest();

signals:
    void Suggested(const engine::Points& points);
    // The counted pixels' means, rounded, for the black (or white) points.
    void Picked(bool black, const engine::PerChannel<int>& means);
    void PreviewToggled(bool on);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Changed(unsigned changes);
    void SetPreviewSwitch(bool on);
    void BuildControls();
    QLayout* BuildPickers();
    void Count();
    void Pick(bool black);
    void ShowCounted();
    void ShowSettings();
    void PlaceBesideParent(const QRect& pictureOnScreen);

    HistogramView* m_view;
    engine::PerChannel<QLabel*> m_clipped{};
    QDoubleSpinBox* m_lowClip = nullptr;
    QDoubleSpinBox* m_highClip = nullptr;
    QDoubleSpinBox* m_margin = nullptr;
    QPushButton* m_suggest = nullptr;
    QPushButton* m_blackPicker = nullptr;
    QPushButton* m_whitePicker = nullptr;
    QCheckBox* m_preview = nullptr;
    QLabel* m_counted = nullptr;
    QLabel* m_means = nullptr;

    const document::PictureModel& m_model;
    std::optional<engine::Histograms> m_histograms;
    bool m_stale = false;  // the histograms are not the shown picture's yet
    bool m_placed = false;
};

}  // namespace tintwell::ui
