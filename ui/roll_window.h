#pragma once

#include <QPoint>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "document/roll_model.h"
#include "platform/platform.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tintwell::ui {

class DensityPanel;
class FrameStrip;
class HistogramWindow;
class PictureView;
class RollPoints;

// The roll window: a roll of BMP, TIFF, PNG and camera raw files at their own depth, one frame
// shown at a time with the main window's view (zoom, preview, clipping warning, region), one set of
// points for the whole roll with its histograms, suggestions and pickers, and the correction of the
// roll into a folder by the roll program's own work, off the user interface's thread; or, for a
// roll of negatives, their film base and densities, with a preview of the positive. It is
// only a window: the roll and its points live in its model.
class RollWindow : public QWidget {
    Q_OBJECT
public:
    RollWindow(platform::Platform& platform, document::Worker& worker, QWidget* parent = nullptr);
    ~RollWindow() override;

    // Adds files and folders to the roll (a drop, the command line, the dialog).
    void Open(const std::vector<std::string>& paths);
    // The dialog for files (Ctrl+O), or for a folder (Ctrl+Shift+O).
    void AskForFiles(bool folder = false);

    document::RollModel& Model() { return m_model; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildControls();
    QWidget* BuildSide();
    QWidget* BuildCorrecting(QWidget* parent);
    void AddShortcuts();
    void Changed(unsigned changes);
    void ViewChanged(unsigned changes);
    void UpdateLook();
    void ShowReadout(int x, int y);
    void ShowProgress();
    void Step(int by);
    void WritePoints(const engine::PerChannel<int>* blacks, const engine::PerChannel<int>* whites);
    void WriteDensities(const engine::PerChannel<double>* shadows,
                        const engine::PerChannel<double>* highlights, int decimals);
    void ConnectDensities();
    void ShowMode();
    void SuggestForTheRoll();
    void CorrectRoll();
    void Remember() const;
    void RecallPoints();
    QString Title() const;

    platform::Platform& m_platform;
    document::RollModel m_model;
    FrameStrip* m_strip = nullptr;
    QLabel* m_ready = nullptr;
    PictureView* m_view = nullptr;
    RollPoints* m_points = nullptr;
    HistogramWindow* m_histogram = nullptr;
    DensityPanel* m_densities = nullptr;
    QPushButton* m_suggestRoll = nullptr;
    QLineEdit* m_output = nullptr;
    QCheckBox* m_replace = nullptr;
    QPushButton* m_correct = nullptr;
    QPushButton* m_cancel = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_summary = nullptr;
    std::string m_outputFor;        // the folder the output field was filled in for
    std::optional<QPoint> m_place;  // where the view was, while the next frame is read
};

}  // namespace tintwell::ui
