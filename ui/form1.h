#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "document/picture_document.h"
#include "engine/histogram.h"
#include "engine/levels.h"
#include "platform/platform.h"
#include "ui/window_fitting.h"

class QLabel;
class QLineEdit;
class QMimeData;
class QPushButton;

namespace tintwell::ui {

class DropLabel;
class HistogramWindow;
class PictureBox;
class PictureView;

// The controls of the window, by the names the program speaks of them by.
struct Controls {
    DropLabel* label3 = nullptr;
    QPushButton* btnReload = nullptr;
    QLabel* label1 = nullptr;
    QLabel* label2 = nullptr;
    engine::PerChannel<QLineEdit*> txtBlack{};
    engine::PerChannel<QLineEdit*> txtWhite{};
    QPushButton* btnProcess = nullptr;
    QPushButton* btnStop = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnExit = nullptr;
    PictureView* pictureArea = nullptr;
    PictureBox* picture1 = nullptr;
};

// The program's one window: a strip of controls over the picture. It holds the state of the run
// and binds the controls' events to the commands; the rules themselves live in engine/,
// document/ and the pure functions beside this file.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(platform::Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    bool PictureChanged() const { return m_document.IsChanged(); }
    const std::string& PicturePath() const { return m_document.Path(); }
    const engine::Levels& Levels() const { return m_levels; }
    // The window's outer size at start, in twips.
    int InitialWidth() const;
    int InitialHeight() const;
    bool IsProcessing() const { return m_processing; }

    // Opens files as if they had been dropped.
    void OpenFiles(const std::vector<std::string>& files);
    // The same for files named on the command line (Open With), once the window is on the
    // screen with its frame: the fitting needs the frame, which a window manager gives a window
    // only after it is first shown.
    void OpenWhenShown(std::vector<std::string> files);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Events of the controls.
    void Form_Load();
    void Label3_OLEDragDrop(const QMimeData& data);
    void Picture1_MouseDown(int x, int y);
    void btnProcess_Click();
    void btnStop_Click();
    void btnExit_Click();
    void btnReload_Click();
    void btnSave_Click();

    // Steps the commands share.
    void BuildControls();
    void ConnectControls();
    void FormReSize();
    void LayOutPictureArea();
    document::Status Reload();
    bool SettleLevels();
    bool RowDone(int row);
    void EnterProcessingState();
    void LeaveProcessingState(bool completed, bool reloaded);
    void SetDropTargetBusy(bool busy);

    // The histogram window.
    void BuildHistogram();
    void ToggleHistogram();
    void ShowHistogram();
    void FieldsChanged();
    void FieldMenu(QLineEdit* field, QPoint at);
    void WriteSuggestion(const engine::Points& points);
    void PictureShown();
    void Tell(const std::string& message);

    // The look of the picture: preview, clipping warning, region and pickers.
    void BuildLook();
    void SwitchPreview(bool on);
    void UpdateLook();
    engine::PerChannel<std::string> FieldTexts(bool black) const;

    platform::Platform& m_platform;
    Controls m_c;
    HistogramWindow* m_histogram = nullptr;
    document::PictureDocument m_document;
    engine::Levels m_levels;
    bool m_cancelRequested = false;
    bool m_processing = false;
    bool m_closeRequested = false;
    bool m_loaded = false;
    bool m_ended = false;
    bool m_previewOn = false;
    bool m_clippingOn = false;
    WindowFitter m_fitter;
    std::vector<std::string> m_waiting;  // named on the command line, until the window shows
};

}  // namespace tintwell::ui
