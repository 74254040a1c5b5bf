#include "ui/histogram_window.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <cmath>

#include "engine/val.h"
#include "ui/histogram_view.h"

namespace tintwell::ui {
namespace {

QDoubleSpinBox* Percent(QWidget* parent, const char* name, double value, double most,
                        const char* tip) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0.0, most);
    box->setDecimals(2);
    box->setSingleStep(0.05);
    box->setSuffix(QStringLiteral(" %"));
    box->setValue(value);
    box->setToolTip(QString::fromLatin1(tip));
    return box;
}

QString Share(double share) {
    return QString::number(share * 100, 'f', share < 0.001 ? 3 : 2) + QLatin1Char('%');
}

}  // namespace

HistogramWindow::HistogramWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_view(new HistogramView(this)) {
    setObjectName(QStringLiteral("histogramWindow"));
    setWindowTitle(QStringLiteral("Histogram - Tintwell"));
    BuildControls();
}

void HistogramWindow::BuildControls() {
    static const std::array<const char*, 3> kNames = {"clippedRed", "clippedGreen", "clippedBlue"};
    auto* figures = new QVBoxLayout;
    for (int c = 0; c < engine::kChannels; ++c) {
        m_clipped[c] = new QLabel(this);
        m_clipped[c]->setObjectName(QString::fromLatin1(kNames[c]));
        m_clipped[c]->setMinimumWidth(150);
        figures->addWidget(m_clipped[c], 1);
    }
    auto* top = new QHBoxLayout;
    top->addWidget(m_view, 1);
    top->addLayout(figures);

    m_lowClip = Percent(this, "lowClip", engine::kDefaultClipPercent, 50,
                        "Share of the pixels the suggested black point may send to 0");
    m_highClip = Percent(this, "highClip", engine::kDefaultClipPercent, 50,
                         "Share of the pixels the suggested white point may send to 255");
    m_margin = Percent(this, "margin", engine::kDefaultMarginPercent, 45,
                       "Border of the picture left out of the histograms (film holder, "
                       "sprocket holes, unexposed edge), as a share of its width and height");
    m_suggest = new QPushButton(QStringLiteral("&Suggest points"), this);
    m_suggest->setObjectName(QStringLiteral("suggestPoints"));
    m_suggest->setToolTip(QStringLiteral(
        "Write black and white points into the fields that clip the shares set here; then "
        "click Process"));
    auto* settings = new QFormLayout;
    settings->addRow(QStringLiteral("Clip darkest"), m_lowClip);
    settings->addRow(QStringLiteral("Clip lightest"), m_highClip);
    settings->addRow(QStringLiteral("Leave out border"), m_margin);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(settings);
    bottom->addStretch(1);
    bottom->addWidget(m_suggest, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);
    connect(m_suggest, &QPushButton::clicked, this, &HistogramWindow::Suggest);
    connect(m_margin, &QDoubleSpinBox::valueChanged, this, [this] {
        m_stale = m_picture != nullptr;
        if (isVisible()) Count();
    });
    ShowSettings();
}

void HistogramWindow::SetPicture(const engine::PixelBuffer* picture) {
    m_picture = picture;
    m_stale = picture != nullptr;
    if (isVisible()) Count();
}

void HistogramWindow::PictureLevelled(const engine::Levels& levels) {
    if (m_stale || !m_histograms) return;  // counted afresh when next shown
    m_histograms = engine::Levelled(*m_histograms, levels);
    m_view->SetHistograms(m_histograms);
    ShowSettings();
}

void HistogramWindow::SetSettings(const engine::PerChannel<std::string>& blacks,
                                  const engine::PerChannel<std::string>& whites) {
    m_blacks = blacks;
    m_whites = whites;
    if (!m_frozen && isVisible()) ShowSettings();
}

void HistogramWindow::SetFrozen(bool frozen) {
    m_frozen = frozen;
    m_suggest->setEnabled(!frozen);
    m_margin->setEnabled(!frozen);
    if (frozen || !isVisible()) return;
    if (m_stale) Count();
    ShowSettings();
}

void HistogramWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_placed) PlaceBesideParent();
    if (m_stale) Count();
    ShowSettings();
}

void HistogramWindow::Count() {
    if (m_frozen || m_picture == nullptr) return;
    m_histograms = engine::CountHistograms(*m_picture, m_margin->value());
    m_stale = false;
    m_view->SetHistograms(m_histograms);
    ShowSettings();
}

// The fields' points as Process would settle them, drawn on the histograms, with what they
// clip; a channel whose settings Process would refuse shows no points.
void HistogramWindow::ShowSettings() {
    static const std::array<const char*, 3> kChannel = {"Red", "Green", "Blue"};
    const engine::FactorsResult settled = engine::CalcFactors(m_blacks, m_whites);
    engine::PerChannel<std::optional<HistogramView::Marks>> marks{};
    std::optional<engine::Clipping> clip;
    if (m_histograms) clip = engine::ClippedShares(*m_histograms, settled.levels);
    for (int c = 0; c < engine::kChannels; ++c) {
        QString text = QString::fromLatin1(kChannel[c]) + QLatin1Char('\n');
        if (c >= settled.settled) {
            text += QStringLiteral("these points can't be used");
        } else {
            marks[c] = HistogramView::Marks{settled.levels.black[c], engine::Val(m_whites[c])};
            if (clip) {
                text += QStringLiteral("%1 to black\n%2 to white")
                            .arg(Share(clip->toBlack[c]), Share(clip->toWhite[c]));
            }
        }
        m_clipped[c]->setText(text);
    }
    m_view->SetMarks(marks);
}

void HistogramWindow::Suggest() {
    if (m_frozen || m_picture == nullptr) return;
    if (m_stale || !m_histograms) Count();
    if (!m_histograms) return;
    emit Suggested(engine::SuggestPoints(*m_histograms, m_lowClip->value(), m_highClip->value()));
}

// To the right of the main window where the screen has room, else to its left, else below.
void HistogramWindow::PlaceBesideParent() {
    m_placed = true;
    QWidget* main = parentWidget();
    if (main == nullptr) return;
    adjustSize();
    const QRect frame = main->frameGeometry();
    const QScreen* screen = main->screen() ? main->screen() : QGuiApplication::primaryScreen();
    const QRect free = screen->availableGeometry();
    QPoint at(frame.right() + 8, frame.top());
    if (at.x() + width() > free.right()) at.setX(frame.left() - width() - 8);
    if (at.x() < free.left())
        at = QPoint(frame.left(), std::min(frame.bottom() + 8, free.bottom() - height()));
    move(at);
}

}  // namespace tintwell::ui
