#include "ui/roll_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/density_panel.h"
#include "ui/drop_label.h"
#include "ui/frame_strip.h"
#include "ui/histogram_window.h"
#include "ui/picture_box.h"
#include "ui/picture_view.h"
#include "ui/roll_points.h"

namespace tintwell::ui {

RollWindow::RollWindow(platform::Platform& platform, document::Worker& worker, QWidget* parent)
    : QWidget(parent, Qt::Window), m_platform(platform), m_model(worker) {
    setObjectName(QStringLiteral("rollWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAcceptDrops(true);
    BuildControls();
    AddShortcuts();
    m_model.Listen([this](unsigned changes) { Changed(changes); });
    m_model.View().Listen([this](unsigned changes) { ViewChanged(changes); });
    m_model.View().SetPreview(true);  // the preview is on when the roll opens
    ShowMode();
    setWindowTitle(Title());
    resize(1280, 860);
}

RollWindow::~RollWindow() {
    m_model.Cancel();
}

void RollWindow::BuildControls() {
    m_strip = new FrameStrip(this);
    connect(m_strip, &FrameStrip::FrameChosen, this, [this](std::size_t i) { m_model.Show(i); });
    m_ready = new QLabel(this);
    m_ready->setObjectName(QStringLiteral("framesReady"));
    m_ready->setAccessibleName(QStringLiteral("Frames ready"));
    m_view = new PictureView(this);
    m_view->setObjectName(QStringLiteral("frameArea"));
    m_view->ZoomToFit();  // each frame fitted until the user zooms
    PictureBox* frame = m_view->Picture();
    frame->setObjectName(QStringLiteral("frame"));
    frame->setAccessibleName(QStringLiteral("Frame"));
    frame->setToolTip(QStringLiteral(
        "Click to see the pixel's values; Shift+drag marks a region, Esc clears it"));
    frame->setFocusPolicy(Qt::StrongFocus);
    connect(frame, &PictureBox::MouseDown, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) { ShowReadout(x, y); });
    connect(frame, &PictureBox::RegionMarked, this,
            [this](const std::optional<engine::Region>& r) { m_model.View().SetRegion(r); });
    connect(m_view, &PictureView::PreviewAsked, this,
            [this] { m_model.View().SetPreview(!m_model.View().Preview()); });
    connect(m_view, &PictureView::ClippingAsked, this,
            [this] { m_model.View().SetClipping(!m_model.View().Clipping()); });

    auto* top = new QHBoxLayout;
    top->addWidget(m_strip, 1);
    top->addWidget(m_ready, 0, Qt::AlignBottom);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_view);
    splitter->addWidget(BuildSide());
    splitter->setStretchFactor(0, 1);
    splitter->setSizes({800, 480});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
}

QWidget* RollWindow::BuildSide() {
    auto* side = new QWidget(this);
    side->setMaximumWidth(600);
    auto* layout = new QVBoxLayout(side);
    m_points = new RollPoints(m_model, side);
    layout->addWidget(m_points);
    m_suggestRoll = new QPushButton(QStringLiteral("Suggest points for the &roll"), side);
    m_suggestRoll->setObjectName(QStringLiteral("suggestRoll"));
    m_suggestRoll->setToolTip(QStringLiteral(
        "Write into the fields the roll's points: per channel the median of every frame's "
        "suggestion, as tintwell-batch --suggest gives them last (for negatives: every "
        "frame's densities counted again above the film base)"));
    connect(m_suggestRoll, &QPushButton::clicked, this, &RollWindow::SuggestForTheRoll);
    layout->addWidget(m_suggestRoll);
    m_histogram = new HistogramWindow(m_model.View(), side, false);
    connect(m_histogram, &HistogramWindow::Suggested, this,
            [this](const engine::Points& p) { WritePoints(&p.black, &p.white); });
    connect(m_histogram, &HistogramWindow::Picked, this,
            [this](bool black, const engine::PerChannel<int>& means) {
                WritePoints(black ? &means : nullptr, black ? nullptr : &means);
            });
    connect(m_histogram, &HistogramWindow::PreviewToggled, this,
            [this](bool on) { m_model.View().SetPreview(on); });
    layout->addWidget(m_histogram, 1);
    m_densities = new DensityPanel(m_model.View(), side);
    ConnectDensities();
    layout->addWidget(m_densities, 1);
    layout->addWidget(BuildCorrecting(side));
    return side;
}

QWidget* RollWindow::BuildCorrecting(QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* where = new QHBoxLayout;
    where->addWidget(new QLabel(QStringLiteral("Output folder"), box));
    m_output = new QLineEdit(box);
    m_output->setObjectName(QStringLiteral("outputFolder"));
    m_output->setAccessibleName(QStringLiteral("Output folder"));
    m_output->setToolTip(QStringLiteral(
        "Where Correct roll writes each frame under its own name, in its own kind and depth "
        "(a camera raw file's as a 16-bit TIFF of its name; the folder made when needed); the "
        "originals stay as they are"));
    where->addWidget(m_output, 1);
    layout->addLayout(where);
    m_replace = new QCheckBox(QStringLiteral("Replace the originals"), box);
    m_replace->setObjectName(QStringLiteral("replaceOriginals"));
    m_replace->setToolTip(
        QStringLiteral("Write each correction over its original instead; Correct roll asks first"));
    connect(m_replace, &QCheckBox::toggled, m_output, &QWidget::setDisabled);
    layout->addWidget(m_replace);
    auto* buttons = new QHBoxLayout;
    m_correct = new QPushButton(QStringLiteral("Correct roll"), box);
    m_correct->setObjectName(QStringLiteral("correctRoll"));
    m_correct->setToolTip(
        QStringLiteral("Correct every frame with the points, or make every negative a positive, as "
                       "tintwell-batch does (Ctrl+Return)"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"), box);
    m_cancel->setObjectName(QStringLiteral("cancelRoll"));
    m_cancel->setToolTip(
        QStringLiteral("Stop correcting: the files being worked on are left whole, as they were"));
    m_cancel->setEnabled(false);
    connect(m_correct, &QPushButton::clicked, this, &RollWindow::CorrectRoll);
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_model.Cancel(); });
    buttons->addWidget(m_correct);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    m_progress = new QProgressBar(box);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setAccessibleName(QStringLiteral("Progress"));
    m_progress->setTextVisible(true);
    m_progress->setValue(0);
    layout->addWidget(m_progress);
    m_summary = new QLabel(box);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setAccessibleName(QStringLiteral("What was done"));
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);
    return box;
}

void RollWindow::AddShortcuts() {
    const auto add = [this](QKeySequence keys, auto action) {
        auto* shortcut = new QShortcut(keys, this, action);
        shortcut->setContext(Qt::WindowShortcut);
    };
    add(QKeySequence(Qt::Key_PageDown), [this] { Step(1); });
    add(QKeySequence(Qt::Key_PageUp), [this] { Step(-1); });
    add(QKeySequence(Qt::CTRL | Qt::Key_O), [this] { AskForFiles(false); });
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), [this] { AskForFiles(true); });
    m_view->AddMenuEntry(QStringLiteral("Add files to the roll\u2026\tCtrl+O"),
                         [this] { AskForFiles(false); });
    m_view->AddMenuEntry(QStringLiteral("Add a folder to the roll\u2026\tCtrl+Shift+O"),
                         [this] { AskForFiles(true); });
    add(QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { m_model.Undo(); });
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [this] { m_model.Redo(); });
    add(QKeySequence(Qt::CTRL | Qt::Key_Return), [this] { CorrectRoll(); });
    add(QKeySequence(Qt::CTRL | Qt::Key_Enter), [this] { CorrectRoll(); });
}

void RollWindow::Step(int by) {
    const auto shown = m_model.Shown();
    if (!shown) return;
    const auto next = static_cast<long long>(*shown) + by;
    if (next >= 0 && next < static_cast<long long>(m_model.Frames().size()))
        m_model.Show(static_cast<std::size_t>(next));
}

void RollWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(*event->mimeData()).empty()) event->acceptProposedAction();
}

void RollWindow::dropEvent(QDropEvent* event) {
    Open(DroppedFiles(*event->mimeData()));
    event->acceptProposedAction();
}

void RollWindow::closeEvent(QCloseEvent* event) {
    if (m_model.Correcting().running &&
        m_platform.MsgBox("The roll is being corrected. Stop and close? The files being "
                          "corrected now are left as they were.",
                          platform::MsgStyle::YesNoWarning,
                          "Tintwell Roll") != platform::Answer::Yes)
        return event->ignore();
    m_model.Cancel();
    event->accept();
}

void RollWindow::ConnectDensities() {
    connect(m_densities, &DensityPanel::FilmBasePicked, this,
            [this](const engine::PerChannel<int>& base) {
                document::NegativeTexts texts = m_model.Settings().negative;
                for (int c = 0; c < engine::kChannels; ++c)
                    texts.bases[c] = std::to_string(base[c]);
                m_model.SetNegative(texts);
            });
    connect(m_densities, &DensityPanel::DensitiesPicked, this,
            [this](bool shadows, const engine::PerChannel<double>& d) {
                WriteDensities(shadows ? &d : nullptr, shadows ? nullptr : &d, 2);
            });
    connect(m_densities, &DensityPanel::Suggested, this,
            [this](const engine::Densities& d) { WriteDensities(&d.shadow, &d.highlight, 3); });
    connect(m_densities, &DensityPanel::PreviewToggled, this,
            [this](bool on) { m_model.View().SetPreview(on); });
}

// A roll of negatives shows its densities; any other its histograms.
void RollWindow::ShowMode() {
    const bool negative = m_model.Settings().isNegative;
    m_histogram->setVisible(!negative);
    m_densities->setVisible(negative);
}

QString RollWindow::Title() const {
    const auto folder = m_model.Folder();
    if (folder.empty()) return QStringLiteral("Tintwell Roll");
    return QStringLiteral("Tintwell Roll - ") + QFile::decodeName(folder.c_str());
}

}  // namespace tintwell::ui
