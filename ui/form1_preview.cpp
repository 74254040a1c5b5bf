// How the window shows its picture beyond the zoom: the preview of the six fields, the clipping
// warning and the region; and the pickers that write a region's means into the fields.
#include <QLineEdit>
#include <QPushButton>

#include "ui/form1.h"
#include "ui/histogram_window.h"
#include "ui/picture_box.h"
#include "ui/picture_view.h"

namespace tintwell::ui {
namespace {

std::optional<engine::Region> RegionOf(const std::optional<QRect>& marked) {
    if (!marked) return std::nullopt;
    return engine::Region{marked->left(), marked->top(), marked->right() + 1, marked->bottom() + 1};
}

}  // namespace

void Form1::BuildLook() {
    connect(m_c.pictureArea, &PictureView::PreviewAsked, this, [this] {
        if (m_document.HasFile()) SwitchPreview(!m_previewOn);
    });
    connect(m_c.pictureArea, &PictureView::ClippingAsked, this, [this] {
        m_clippingOn = !m_clippingOn;
        UpdateLook();
    });
    connect(m_histogram, &HistogramWindow::PreviewToggled, this, &Form1::SwitchPreview);
    connect(
        m_c.picture1, &PictureBox::RegionChanged, this,
        [this](const std::optional<QRect>& region) { m_histogram->SetRegion(RegionOf(region)); });
    connect(m_histogram, &HistogramWindow::Picked, this,
            [this](bool black, const engine::PerChannel<int>& means) {
                for (int c = 0; c < engine::kChannels; ++c)
                    (black ? m_c.txtBlack : m_c.txtWhite)[c]->setText(QString::number(means[c]));
            });
}

void Form1::SwitchPreview(bool on) {
    m_previewOn = on;
    m_histogram->SetPreviewSwitch(on);
    UpdateLook();
}

// The preview shows while the picture is the file's, as Process would start from it; during a
// pass and after a completed one there is nothing for it to show.
void Form1::UpdateLook() {
    Look look;
    look.clipping = m_clippingOn;
    QString note;
    if (m_previewOn && m_c.btnProcess->isEnabled()) {
        const engine::FactorsResult settled =
            engine::CalcFactors(FieldTexts(true), FieldTexts(false));
        if (settled.error) {
            note = QStringLiteral("no preview: the %1 %2 point can't be used")
                       .arg(QString::fromLatin1(engine::ChannelName(settled.error->channel)),
                            settled.error->field == engine::Field::BlackPoint ? "black" : "white");
        } else {
            look.preview = std::make_shared<const engine::LevelsTable>(settled.levels);
            note = QStringLiteral("Preview");
        }
    } else if (m_previewOn) {
        note = QStringLiteral("Preview (nothing to show)");
    }
    if (m_clippingOn)
        note += note.isEmpty() ? QStringLiteral("Clipping") : QStringLiteral(", clipping");
    m_c.picture1->SetLook(std::move(look));
    m_c.pictureArea->SetLookNote(note, m_previewOn, m_clippingOn);
}

engine::PerChannel<std::string> Form1::FieldTexts(bool black) const {
    engine::PerChannel<std::string> texts;
    for (int c = 0; c < engine::kChannels; ++c)
        texts[c] = (black ? m_c.txtBlack : m_c.txtWhite)[c]->text().toStdString();
    return texts;
}

}  // namespace tintwell::ui
