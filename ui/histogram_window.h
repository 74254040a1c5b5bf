#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "engine/histogram.h"
#include "engine/levels.h"
#include "engine/pixel_buffer.h"

class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace tintwell::ui {

class HistogramView;

// A tool window beside the main window: the histograms of the shown picture (less its border)
// with the black and white points of the six fields drawn on them, the share of pixels each
// point sends to 0 and to 255, and Suggest points, with the clip shares and the border it uses.
// It reads the fields as Process would, but writes nothing into them but a suggestion, and it
// does no work while hidden or during a pass.
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

    const std::optional<engine::Histograms>& Histograms() const { return m_histograms; }
    void Suggest();

signals:
    void Suggested(const engine::Points& points);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void Count();
    void ShowSettings();
    void PlaceBesideParent();

    HistogramView* m_view;
    engine::PerChannel<QLabel*> m_clipped{};
    QDoubleSpinBox* m_lowClip = nullptr;
    QDoubleSpinBox* m_highClip = nullptr;
    QDoubleSpinBox* m_margin = nullptr;
    QPushButton* m_suggest = nullptr;

    const engine::PixelBuffer* m_picture = nullptr;
    std::optional<engine::Histograms> m_histograms;
    bool m_stale = false;  // the histograms are not the shown picture's yet
    bool m_frozen = false;
    bool m_placed = false;
    engine::PerChannel<std::string> m_blacks, m_whites;
};

}  // namespace tintwell::ui
