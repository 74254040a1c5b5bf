#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "engine/correction_pass.h"

#include "document/picture_document.h"
#include "document/picture_model.h"
#include "engine/histogram.h"
#include "engine/levels.h"
#include "platform/platform.h"
#include "ui/form1_stage.h"
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
    engine::PerChannel<QLineEdit*> txtBlack{};
    engine::PerChannel<QLineEdit*> txtWhite{};
    QPushButton* btnProcess = nullptr;
    QPushButton* btnStop = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnExit = nullptr;
    PictureView* pictureArea = nullptr;
    PictureBox* picture1 = nullptr;
};

// The main window: a strip of controls over the picture. It binds the controls' events to the
// commands and shows what its model says; the state of its picture lives in the model, the
// rules in engine/, document/ and the pure functions beside this file.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(platform::Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    bool PictureChanged() const { return m_document.IsChanged(); }
    const std::string& PicturePath() const { return m_document.Path(); }
    // The window's outer size at start, in twips.
    int InitialWidth() const;
    int InitialHeight() const;

    // Opens files as if they had been dropped.
    void OpenFiles(const std::vector<std::string>& files);
    // The same for files named on the command line (Open With), once the window is on the
    // screen with its frame: the fitting needs the frame, which a window manager gives a window
    // only after it is first shown.
    void OpenWhenShown(std::vector<std::string> files);

signals:
    // Ctrl+R, or "Open a roll…" in a context menu: the user wants the roll window.
    void RollAsked();

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
    bool SettleLevels(engine::Levels& levels);
    bool RowDone(int row);
    void SetStage(Stage stage);
    void PassEnded(engine::PassResult result, const engine::Levels& levels);

    // The histogram window.
    void BuildHistogram();
    void ToggleHistogram();
    void ShowHistogram();
    void FieldsChanged();
    void FieldMenu(QLineEdit* field, QPoint at);
    void WritePoints(const engine::PerChannel<int>* blacks, const engine::PerChannel<int>* whites);
    void PictureShown(bool keepRegion);
    void Tell(const std::string& message);

    // The look of the picture: preview, clipping warning, region and pickers.
    void BuildLook();
    void ModelChanged(unsigned changes);
    void UpdateLook();
    engine::PerChannel<std::string> FieldTexts(bool black) const;

    // How the window is being closed: a close during a pass waits for the pass to stop.
    enum class Closing { No, AfterThePass, Ended };

    platform::Platform& m_platform;
    Controls m_c;
    document::PictureDocument m_document;
    document::PictureModel m_model{document::Reading::Lenient};
    HistogramWindow* m_histogram = nullptr;
    Stage m_stage = Stage::NoPicture;
    Closing m_closing = Closing::No;
    WindowFitter m_fitter;
    std::vector<std::string> m_waiting;  // named on the command line, until the window shows
};

}  // namespace tintwell::ui
