#pragma once

#include <QWidget>
#include <optional>

#include "document/picture_model.h"
#include "engine/negative.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace tintwell::ui {

class HistogramView;

// A negative frame's densities above its film base, 0 to 4 (of the region marked on it, or else
// of the frame less its border), with the shadows and highlights drawn as the model settles
// them and the share of pixels each sends to black and to white; the pickers that take the film
// base, the shadows or the highlights from the region, and Suggest points. It follows the model
// and writes nothing into it but through its signals; it counts nothing while hidden or busy.
class DensityPanel : public QWidget {
    Q_OBJECT
public:
    DensityPanel(document::PictureModel& model, QWidget* parent);

    void Suggest();
    const std::optional<engine::DensityHistograms>& Densities() const { return m_densities; }

signals:
    // The region's mean sample per channel on the 16-bit scale, rounded halves to even.
    void FilmBasePicked(const engine::PerChannel<int>& base);
    // The region's mean density per channel, for the shadows (or the highlights).
    void DensitiesPicked(bool shadows, const engine::PerChannel<double>& densities);
    void Suggested(const engine::Densities& densities);
    void PreviewToggled(bool on);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Changed(unsigned changes);
    QPushButton* Button(const char* name, const char* caption, const char* tip);
    engine::Region Counted() const;
    void Count();
    void Pick(int what);
    void ShowSettings();

    const document::PictureModel& m_model;
    HistogramView* m_view;
    engine::PerChannel<QLabel*> m_clipped{};
    QLabel* m_counted = nullptr;
    QCheckBox* m_preview = nullptr;
    std::optional<engine::DensityHistograms> m_densities;
    std::optional<engine::Negative> m_countedBy;  // the film base the densities are above
    bool m_stale = true;
};

}  // namespace tintwell::ui
