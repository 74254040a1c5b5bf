#include "ui/histogram_window.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <cmath>

#include "engine/val.h"
#include "ui/histogram_view.h"
#include "ui/tool_placement.h"

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

const QSize kPickerSize(190, 30);

QString Share(double share) {
    return QString::number(share * 100, 'f', share < 0.001 ? 3 : 2) + QLatin1Char('%');
}

}  // namespace

HistogramWindow::HistogramWindow(document::PictureModel& model, QWidget* parent, bool tool)
    : QWidget(parent,
              tool ? Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint : Qt::Widget),
      m_view(new HistogramView(this)),
      m_model(model) {
    setObjectName(QStringLiteral("histogramWindow"));
    setWindowTitle(QStringLiteral("Histogram - Tintwell"));
    BuildControls();
    ShowCounted();
    m_stale = model.Picture() != nullptr;
    model.Listen([this](unsigned changes) { Changed(changes); });
}

// What the model says has changed: a new picture or region is counted afresh (once, however
// much changed together), new points are drawn; during a pass nothing changes here.
void HistogramWindow::Changed(unsigned changes) {
    using M = document::PictureModel;
    if (changes & (M::kPicture | M::kRegion)) m_stale = m_model.Picture() != nullptr;
    if (changes & M::kLook) SetPreviewSwitch(m_model.Preview());
    if (changes & M::kBusy) {
        for (QWidget* w :
             std::initializer_list<QWidget*>{m_suggest, m_margin, m_blackPicker, m_whitePicker})
            w->setEnabled(!m_model.Busy());
    }
    if (m_model.Busy() || !isVisible()) return ShowCounted();
    if (m_stale) Count();
    ShowSettings();
    ShowCounted();
}

void HistogramWindow::BuildControls() {
    static const std::array<const char*, 3> kNames = {"clippedRed", "clippedGreen", "clippedBlue"};
    QVBoxLayout* figures = ChannelFigures(this, kNames, m_clipped);
    auto* top = new QHBoxLayout;
    top->addWidget(m_view, 1);
    top->addLayout(figures);

    m_lowClip = Percent(this, "lowClip", engine::kDefaultClipPercent, 49.9,
                        "Share of the pixels the suggested black point may send to 0");
    m_highClip = Percent(this, "highClip", engine::kDefaultClipPercent, 49.9,
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
    layout->addLayout(BuildPickers());
    layout->addLayout(bottom);
    // The pickers in the bottom-right corner, at a size of their own, where a person (and the
    // desktop test) finds them whatever the fonts.
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(6);
    auto* pickers = new QHBoxLayout;
    pickers->setSpacing(6);
    pickers->addStretch(1);
    pickers->addWidget(m_blackPicker);
    pickers->addWidget(m_whitePicker);
    layout->addLayout(pickers);
    connect(m_suggest, &QPushButton::clicked, this, &HistogramWindow::Suggest);
    connect(m_margin, &QDoubleSpinBox::valueChanged, this, [this] {
        m_stale = m_model.Picture() != nullptr;
        if (isVisible()) Count();
        ShowCounted();
    });
    ShowSettings();
}

QLayout* HistogramWindow::BuildPickers() {
    m_preview = new QCheckBox(QStringLiteral("&Preview"), this);
    m_preview->setObjectName(QStringLiteral("previewBox"));
    m_preview->setToolTip(QStringLiteral(
        "Show the picture as Process would make it with the points as they stand (P on the "
        "picture)"));
    connect(m_preview, &QCheckBox::toggled, this, &HistogramWindow::PreviewToggled);
    m_counted = new QLabel(this);
    m_counted->setObjectName(QStringLiteral("countedArea"));
    m_means = new QLabel(this);
    m_means->setObjectName(QStringLiteral("regionMeans"));
    const auto picker = [this](const char* name, const char* caption, const char* tip, bool black) {
        auto* button = new QPushButton(QString::fromLatin1(caption), this);
        button->setObjectName(QString::fromLatin1(name));
        button->setToolTip(QString::fromLatin1(tip));
        connect(button, &QPushButton::clicked, this, [this, black] { Pick(black); });
        return button;
    };
    m_blackPicker = picker("blackFromRegion", "&Black point from region",
                           "Write each channel's mean over the region (Shift+drag on the picture; "
                           "the picture less its border where none is marked) into the black "
                           "points: take it from the film base",
                           true);
    m_whitePicker = picker("whiteFromRegion", "&White point from region",
                           "Write each channel's mean over the region into the white points: "
                           "take it from a neutral highlight",
                           false);
    for (QPushButton* b : {m_blackPicker, m_whitePicker}) b->setFixedSize(kPickerSize);
    // The texts under the switch, across the whole width: beside a roll's frame the panel is
    // narrower than they are.
    auto* texts = new QVBoxLayout;
    texts->addWidget(m_preview);
    texts->addWidget(m_counted);
    texts->addWidget(m_means);
    return texts;
}

void HistogramWindow::SetPreviewSwitch(bool on) {
    const QSignalBlocker quiet(m_preview);
    m_preview->setChecked(on);
}

// What is counted, how much of it, and its means.
void HistogramWindow::ShowCounted() {
    const std::optional<engine::Region>& region = m_model.Region();
    m_counted->setText(
        region ? QStringLiteral("Counted: the marked region, %1 x %2 pixels, from (%3, %4) to "
                                "(%5, %6), both corners included")
                     .arg(region->right - region->left)
                     .arg(region->bottom - region->top)
                     .arg(region->left)
                     .arg(region->top)
                     .arg(region->right - 1)
                     .arg(region->bottom - 1)
               : QStringLiteral("Counted: the picture less a border of %1% (Shift+drag on the "
                                "picture marks a region)")
                     .arg(m_margin->value()));
    if (!m_histograms || m_histograms->pixels == 0) return m_means->setText(QString());
    const engine::PerChannel<double> means = engine::Means(*m_histograms);
    m_means->setText(QStringLiteral("Mean: red %1, green %2, blue %3")
                         .arg(means[0], 0, 'f', 1)
                         .arg(means[1], 0, 'f', 1)
                         .arg(means[2], 0, 'f', 1));
}

// The means of the picture's own samples on the 0..255 scale (a 16-bit sample v as v / 257).
void HistogramWindow::Pick(bool black) {
    const engine::PixelBuffer* picture = m_model.Picture();
    if (m_model.Busy() || picture == nullptr) return;
    const engine::Region counted = m_model.Region().value_or(
        engine::CountedRegion(picture->Width(), picture->Height(), m_margin->value()));
    const engine::PerChannel<double> means = engine::MeanLevels(*picture, counted);
    engine::PerChannel<int> rounded{};
    for (int c = 0; c < engine::kChannels; ++c)
        rounded[c] = static_cast<int>(std::nearbyint(means[c]));  // halves to even
    emit Picked(black, rounded);
}

void HistogramWindow::PictureLevelled(const engine::Levels& levels) {
    if (m_stale || !m_histograms) return;  // counted afresh when next shown
    m_histograms = engine::Levelled(*m_histograms, levels);
    m_view->SetHistograms(m_histograms);
    ShowSettings();
    ShowCounted();
}

void HistogramWindow::ShowBeside(const QRect& pictureOnScreen) {
    if (!m_placed) PlaceBesideParent(pictureOnScreen);
    show();
}

void HistogramWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_stale && !m_model.Busy()) Count();
    ShowSettings();
}

void HistogramWindow::Count() {
    const engine::PixelBuffer* picture = m_model.Picture();
    if (m_model.Busy() || picture == nullptr) return;
    const bool usual = !m_model.Region() && m_margin->value() == engine::kDefaultMarginPercent;
    if (usual && m_model.Counted() != nullptr) {
        m_histograms = *m_model.Counted();  // counted as it was read: not again
    } else {
        m_histograms = m_model.Region() ? engine::CountHistograms(*picture, *m_model.Region())
                                        : engine::CountHistograms(*picture, m_margin->value());
    }
    m_stale = false;
    m_view->SetHistograms(m_histograms);
    ShowSettings();
    ShowCounted();
}

// The fields' points as Process would settle them, drawn on the histograms, with what they
// clip; a channel whose settings Process would refuse shows no points.
void HistogramWindow::ShowSettings() {
    static const std::array<const char*, 3> kChannel = {"Red", "Green", "Blue"};
    // Drawn as the window settles them; read strictly, the channel at fault shows none.
    const document::SettledPoints& points = m_model.Points();
    engine::FactorsResult settled = points.lenient;
    if (points.levels) settled = {*points.levels, {}, engine::kChannels, std::nullopt};
    if (points.strict) settled.settled = static_cast<int>(points.strict->channel);
    engine::PerChannel<std::optional<HistogramView::Marks>> marks{};
    std::optional<engine::Clipping> clip;
    if (m_histograms) clip = engine::ClippedShares(*m_histograms, settled.levels);
    for (int c = 0; c < engine::kChannels; ++c) {
        QString text = QString::fromLatin1(kChannel[c]) + QLatin1Char('\n');
        if (c >= settled.settled) {
            text += QStringLiteral("these points can't be used");
        } else {
            marks[c] =
                HistogramView::Marks{settled.levels.black[c], engine::Val(m_model.Whites()[c])};
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
    if (m_model.Busy() || m_model.Picture() == nullptr) return;
    if (m_stale || !m_histograms) Count();
    if (!m_histograms) return;
    emit Suggested(engine::SuggestPoints(*m_histograms, m_lowClip->value(), m_highClip->value()));
}

// Beside the main window, clear of its picture where the screen has room. The frame this window
// will get is taken to be the main window's.
void HistogramWindow::PlaceBesideParent(const QRect& pictureOnScreen) {
    m_placed = true;
    QWidget* main = parentWidget();
    if (main == nullptr) return;
    adjustSize();
    const QRect frame = main->frameGeometry();
    const QSize frameExtra = frame.size() - main->geometry().size();
    const QScreen* screen = main->screen() ? main->screen() : QGuiApplication::primaryScreen();
    move(PlaceBeside(frame, pictureOnScreen, size() + frameExtra, screen->availableGeometry()));
}

}  // namespace tintwell::ui
