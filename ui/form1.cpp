#include "ui/form1.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "document/reason.h"
#include "ui/drop_label.h"
#include "ui/picture_box.h"
#include "ui/picture_view.h"
#include "ui/pixel_caption.h"
#include "ui/twips.h"
#include "ui/window_fitting.h"
#include "version.h"

namespace tintwell::ui {
namespace {
const QSize kClientAtStart = FromTwips(QRect(0, 0, 9255, 690)).size();
const QPoint kPictureOffset = FromTwips(QPoint(30, 705));

// The window's geometry as the fitting reads and writes it.
class QtFramedWindow : public FramedWindow {
public:
    explicit QtFramedWindow(const QWidget& window) : m_window(const_cast<QWidget&>(window)) {}
    QSize ClientSize() const override { return m_window.size(); }
    QMargins Frame() const override {
        const QRect inner = m_window.geometry(), outer = m_window.frameGeometry();
        return {inner.left() - outer.left(), inner.top() - outer.top(),
                outer.right() - inner.right(), outer.bottom() - inner.bottom()};
    }
    QPoint FramePosition() const override { return m_window.frameGeometry().topLeft(); }
    QRect Available() const override {
        const QScreen* screen = m_window.screen();
        return (screen != nullptr ? screen : QGuiApplication::primaryScreen())->availableGeometry();
    }
    void SetClientSize(QSize size) override { m_window.setFixedSize(size); }
    void MoveFrame(QPoint topLeft) override { m_window.move(topLeft); }

private:
    QWidget& m_window;
};
}  // namespace

Form1::Form1(platform::Platform& platform, QWidget* parent)
    : QWidget(parent), m_platform(platform) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(
        QStringLiteral("Tintwell " TINTWELL_VERSION " (levels for scanned colour negatives)"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    BuildControls();
    ConnectControls();
    BuildHistogram();
    BuildLook();
    setFixedSize(kClientAtStart);
    SetStage(Stage::NoPicture);
}

Form1::~Form1() = default;

void Form1::ConnectControls() {
    connect(m_c.label3, &DropLabel::Dropped, this,
            [this](const QMimeData* data) { Label3_OLEDragDrop(*data); });
    connect(
        m_c.picture1, &PictureBox::MouseDown, this,
        [this](Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) { Picture1_MouseDown(x, y); });
    connect(m_c.btnProcess, &QPushButton::clicked, this, &Form1::btnProcess_Click);
    connect(m_c.btnStop, &QPushButton::clicked, this, &Form1::btnStop_Click);
    connect(m_c.btnExit, &QPushButton::clicked, this, &Form1::btnExit_Click);
    connect(m_c.btnReload, &QPushButton::clicked, this, &Form1::btnReload_Click);
    connect(m_c.btnSave, &QPushButton::clicked, this, &Form1::btnSave_Click);
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_fitter.IsLoaded()) Form_Load();
}

// Records the window's size at start, the base of every later fitting.
void Form1::Form_Load() {
    m_fitter.Load(QtFramedWindow(*this));
}

int Form1::InitialWidth() const {
    return m_fitter.InitialWidth(QtFramedWindow(*this));
}

int Form1::InitialHeight() const {
    return m_fitter.InitialHeight(QtFramedWindow(*this));
}

void Form1::Label3_OLEDragDrop(const QMimeData& data) {
    OpenFiles(DroppedFiles(data));
}

// A drop, or the files named on the command line: one bitmap, taken in as the window takes it.
void Form1::OpenFiles(const std::vector<std::string>& files) {
    if (files.size() != 1) return Tell("One at a time please!");
    const std::string& path = files.front();
    if (const document::Status opened = m_document.Open(path); !opened)
        return Tell(document::CantTakeIn(opened.Failure(), document::Framing::Window));
    PictureShown(false);  // a region belongs to the picture it was marked on
    setWindowTitle(QStringLiteral("Tintwell - ") + QFile::decodeName(path.c_str()));
    m_c.pictureArea->show();
    SetStage(Stage::Unchanged);
    FormReSize();
}

void Form1::OpenWhenShown(std::vector<std::string> files) {
    m_waiting = std::move(files);
    update();
}

// The first paint comes once the window is exposed, after the window manager has framed it.
void Form1::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (m_waiting.empty()) return;
    QTimer::singleShot(0, this, [this, files = std::move(m_waiting)] { OpenFiles(files); });
    m_waiting.clear();
}

void Form1::Tell(const std::string& message) {
    m_platform.MsgBox(message, platform::MsgStyle::OkForeground, "Tintwell");
}

void Form1::Picture1_MouseDown(int x, int y) {
    setWindowTitle(
        QFile::decodeName(PixelCaption(m_document.Path(), m_c.picture1->Point(x, y)).c_str()));
}

// Fits the window to the picture at 100% within the screen; where the screen cuts it, the
// picture shows whole, fitted into the window.
void Form1::FormReSize() {
    QtFramedWindow window(*this);
    const bool clamped = m_fitter.Fit(window, kPictureOffset, m_c.picture1->NaturalSize());
    LayOutPictureArea();
    if (clamped) {
        m_c.pictureArea->ZoomToFit();
    } else {
        m_c.pictureArea->ZoomTo(1.0, QPointF(0, 0));
    }
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOutPictureArea();
}

void Form1::LayOutPictureArea() {
    if (m_c.pictureArea == nullptr) return;
    m_c.pictureArea->setGeometry(
        QRect(kPictureOffset, size() - QSize(kPictureOffset.x(), kPictureOffset.y())));
}

void Form1::closeEvent(QCloseEvent* event) {
    if (m_closing == Closing::Ended) return event->accept();
    if (m_stage == Stage::Processing) {
        // Stop the pass after its current row; the Process command then ends the program.
        m_closing = Closing::AfterThePass;
        m_model.AskCancel();
        return event->ignore();
    }
    if (PictureChanged() &&
        m_platform.MsgBox("Really exit without saving?", platform::MsgStyle::YesNoWarning,
                          "Tintwell") != platform::Answer::Yes) {
        return event->ignore();
    }
    event->accept();
}

}  // namespace tintwell::ui
