#include "ui/density_panel.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <cmath>

#include "ui/histogram_view.h"

namespace tintwell::ui {
namespace {

enum Picker { kBase, kShadows, kHighlights };

QString Share(double share) {
    return QString::number(share * 100, 'f', share < 0.001 ? 3 : 2) + QLatin1Char('%');
}

// Film base and black and white alike: densities of the same counting.
bool SameCounting(const std::optional<engine::Negative>& a,
                  const std::optional<engine::Negative>& b) {
    return a.has_value() == b.has_value() && (!a || (a->base == b->base && a->mono == b->mono));
}

}  // namespace

DensityPanel::DensityPanel(document::PictureModel& model, QWidget* parent)
    : QWidget(parent), m_model(model), m_view(new HistogramView(this)) {
    setObjectName(QStringLiteral("densityPanel"));
    m_view->setObjectName(QStringLiteral("densityView"));
    m_view->setAccessibleName(QStringLiteral("Densities"));
    m_view->setToolTip(QStringLiteral(
        "Densities above the film base, 0 at the left to 4 at the right; the shade left of a "
        "shadow goes to black, right of a highlight to white"));
    static const std::array<const char*, 3> kNames = {"densityClippedRed", "densityClippedGreen",
                                                      "densityClippedBlue"};
    QVBoxLayout* figures = ChannelFigures(this, kNames, m_clipped);
    auto* top = new QHBoxLayout;
    top->addWidget(m_view, 1);
    top->addLayout(figures);
    m_preview = new QCheckBox(QStringLiteral("&Preview"), this);
    m_preview->setObjectName(QStringLiteral("negativePreview"));
    m_preview->setToolTip(QStringLiteral("Show the frame as the positive Correct roll writes (P)"));
    connect(m_preview, &QCheckBox::toggled, this, &DensityPanel::PreviewToggled);
    m_counted = new QLabel(this);
    m_counted->setObjectName(QStringLiteral("densityCounted"));
    m_counted->setWordWrap(true);
    auto* buttons = new QGridLayout;
    const auto picker = [this](int what, auto... texts) {
        QPushButton* button = Button(texts...);
        connect(button, &QPushButton::clicked, this, [this, what] { Pick(what); });
        return button;
    };
    buttons->addWidget(picker(kBase, "filmBaseFromRegion", "&Film base from region",
                              "Write each channel's mean over the region (Shift+drag on the "
                              "unexposed film between frames) into the film base, on the "
                              "16-bit scale"),
                       0, 0);
    buttons->addWidget(picker(kShadows, "shadowsFromRegion", "S&hadows from region",
                              "Write each channel's mean density over the region into the "
                              "shadow densities: take it from the thinnest part that should "
                              "be black"),
                       0, 1);
    buttons->addWidget(picker(kHighlights, "highlightsFromRegion", "Hi&ghlights from region",
                              "Write each channel's mean density over the region into the "
                              "highlight densities: take it from a neutral highlight"),
                       1, 1);
    auto* suggest = Button("suggestDensities", "&Suggest points",
                           "Write into the fields the densities that send 0.1% of the frame "
                           "(less a border of 5%) to black and 0.1% to white");
    connect(suggest, &QPushButton::clicked, this, &DensityPanel::Suggest);
    buttons->addWidget(suggest, 1, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_preview);
    layout->addWidget(m_counted);
    layout->addLayout(buttons);
    model.Listen([this](unsigned changes) { Changed(changes); });
}

QPushButton* DensityPanel::Button(const char* name, const char* caption, const char* tip) {
    auto* button = new QPushButton(QString::fromLatin1(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(QString::fromLatin1(tip));
    return button;
}

void DensityPanel::Changed(unsigned changes) {
    using M = document::PictureModel;
    const auto texts = m_model.NegativeSettings();
    const auto counting = texts ? document::CountingNegative(*texts) : std::nullopt;
    if ((changes & (M::kPicture | M::kRegion)) || !SameCounting(counting, m_countedBy))
        m_stale = true;
    if (changes & M::kLook) {
        const QSignalBlocker quiet(m_preview);
        m_preview->setChecked(m_model.Preview());
    }
    if (isVisible() && !m_model.Busy() && m_stale) Count();
    ShowSettings();
}

void DensityPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    const QSignalBlocker quiet(m_preview);
    m_preview->setChecked(m_model.Preview());
    if (m_stale && !m_model.Busy()) Count();
    ShowSettings();
}

engine::Region DensityPanel::Counted() const {
    const engine::PixelBuffer& p = *m_model.Picture();
    return m_model.Region().value_or(
        engine::CountedRegion(p.Width(), p.Height(), engine::kDefaultMarginPercent));
}

void DensityPanel::Count() {
    const auto texts = m_model.NegativeSettings();
    m_countedBy = texts ? document::CountingNegative(*texts) : std::nullopt;
    m_densities.reset();
    m_stale = false;
    if (m_model.Picture() != nullptr && m_countedBy)
        m_densities = engine::CountDensities(*m_model.Picture(), Counted(), *m_countedBy);
    m_view->SetHistograms(m_densities ? std::optional(engine::DrawnDensities(*m_densities))
                                      : std::nullopt);
}

void DensityPanel::Pick(int what) {
    const engine::PixelBuffer* picture = m_model.Picture();
    if (m_model.Busy() || picture == nullptr) return;
    if (what == kBase) {
        const engine::PerChannel<double> means = engine::MeanSamples16(*picture, Counted());
        engine::PerChannel<int> base{};
        for (int c = 0; c < engine::kChannels; ++c)
            base[c] = std::max(1, static_cast<int>(std::nearbyint(means[c])));  // halves to even
        return emit FilmBasePicked(base);
    }
    if (!m_countedBy) return;
    emit DensitiesPicked(what == kShadows,
                         engine::MeanDensities(*picture, Counted(), *m_countedBy));
}

void DensityPanel::Suggest() {
    if (m_model.Busy() || m_model.Picture() == nullptr) return;
    if (m_stale) Count();
    if (m_densities) emit Suggested(engine::SuggestDensities(*m_densities, 0.1, 0.1));
}

// The densities as the model settles them, drawn on the histograms with what they clip.
void DensityPanel::ShowSettings() {
    static const std::array<const char*, 3> kChannel = {"Red", "Green", "Blue"};
    const auto& negative = m_model.Negative().negative;
    const auto region = m_model.Region();
    m_counted->setText(region ? QStringLiteral("Counted: the marked region, %1 x %2 pixels")
                                    .arg(region->right - region->left)
                                    .arg(region->bottom - region->top)
                              : QStringLiteral("Counted: the frame less a border of 5% "
                                               "(Shift+drag on the frame marks a region)"));
    engine::PerChannel<std::optional<HistogramView::Marks>> marks{};
    std::optional<engine::Clipping> clip;
    if (negative && m_densities) clip = engine::ClippedDensities(*m_densities, *negative);
    for (int c = 0; c < engine::kChannels; ++c) {
        QString text = QString::fromLatin1(kChannel[c]) + QLatin1Char('\n');
        const int channel = negative && negative->mono ? 0 : c;
        if (!negative) {
            text += QStringLiteral("these settings can't be used");
        } else {
            marks[c] = HistogramView::Marks{
                static_cast<int>(std::lround(negative->shadow[channel] * 64 - 0.5)),
                negative->highlight[channel] * 64 - 0.5};
            if (clip)
                text += QStringLiteral("%1 to black\n%2 to white")
                            .arg(Share(clip->toBlack[c]), Share(clip->toWhite[c]));
        }
        m_clipped[c]->setText(text);
    }
    m_view->SetMarks(marks);
}

}  // namespace tintwell::ui
