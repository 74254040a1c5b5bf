#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "engine/histogram.h"
#include "engine/levels.h"
#include "engine/pixel_buffer.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace tintwell::ui {

class HistogramView;

// A tool window beside the main window: the histograms of the shown picture (of the region
// marked on it, or else of the picture less its border) with the black and white points of the
// six fields drawn on them, the share of pixels each point sends to 0 and to 255, the counted
// pixels' means, Suggest points with the clip shares and the border it uses, the pickers that
// take a point from the means, and the preview's switch. It reads the fields as Process would,
// writes nothing into them but a suggestion or a picked point, and it does no work while hidden
// or during a pass.
class HistogramWindow : public QWidget {
    Q_OBJECT
public:
    explicit HistogramWindow(QWidget* parent);

    // The picture shown now (after a drop or a Reload); it stays valid until the next call.
    void SetPicture(const engine::PixelBuffer* picture);
    // The shown picture has been corrected with these levels.
    void PictureLevelled(const engine::Levels& levels);
    // The texts of the six fields, as they stand.
    void SetSettings(const engine::PerChannel<std::string>& blacks,
                     const engine::PerChannel<std::string>& whites);
    // During a pass nothing changes here.
    void SetFrozen(bool frozen);
    // The region marked on the picture, counted instead of the picture less its border.
    void SetRegion(const std::optional<engine::Region>& region);
    // Whether the preview is switched on, as the window shows it.
    void SetPreviewSwitch(bool on);

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
    std::optional<engine::Region> m_region;

    const engine::PixelBuffer* m_picture = nullptr;
    std::optional<engine::Histograms> m_histograms;
    bool m_stale = false;  // the histograms are not the shown picture's yet
    bool m_frozen = false;
    bool m_placed = false;
    engine::PerChannel<std::string> m_blacks, m_whites;
};

}  // namespace tintwell::ui
