// How the window shows its picture beyond the zoom: the preview of the six fields, the clipping
// warning and the region; and the pickers that write a region's means into the fields.
#include <QLineEdit>
#include <QPushButton>

#include "document/reason.h"
#include "ui/form1.h"
#include "ui/histogram_window.h"
#include "ui/picture_box.h"
#include "ui/picture_view.h"

namespace tintwell::ui {

void Form1::BuildLook() {
    connect(m_c.pictureArea, &PictureView::PreviewAsked, this, [this] {
        if (m_document.HasFile()) m_model.SetPreview(!m_model.Preview());
    });
    connect(m_c.pictureArea, &PictureView::ClippingAsked, this,
            [this] { m_model.SetClipping(!m_model.Clipping()); });
    connect(m_histogram, &HistogramWindow::PreviewToggled, this,
            [this](bool on) { m_model.SetPreview(on); });
    connect(m_c.picture1, &PictureBox::RegionMarked, this,
            [this](const std::optional<engine::Region>& region) { m_model.SetRegion(region); });
    connect(m_histogram, &HistogramWindow::Picked, this,
            [this](bool black, const engine::PerChannel<int>& means) {
                WritePoints(black ? &means : nullptr, black ? nullptr : &means);
            });
    m_model.Listen([this](unsigned changes) { ModelChanged(changes); });
}

void Form1::ModelChanged(unsigned changes) {
    if (changes & document::PictureModel::kRegion) m_c.picture1->SetRegion(m_model.Region());
    if (changes & ~document::PictureModel::kRegion) UpdateLook();
}

// The preview shows while the picture is the file's, as Process would start from it; during a
// pass and after a completed one there is nothing for it to show.
void Form1::UpdateLook() {
    Look look;
    look.clipping = m_model.Clipping();
    QString note;
    if (const auto levels = m_model.PreviewLevels()) {
        look.preview = DrawnLevels(*levels);
        note = QStringLiteral("Preview");
    } else if (m_model.Preview() && m_stage == Stage::Unchanged) {
        note = QStringLiteral("no preview: ") +
               QString::fromStdString(document::CantBeUsed(*m_model.Points().lenient.error));
    } else if (m_model.Preview()) {
        note = QStringLiteral("Preview (nothing to show)");
    }
    if (m_model.Clipping())
        note += note.isEmpty() ? QStringLiteral("Clipping") : QStringLiteral(", clipping");
    m_c.picture1->SetLook(std::move(look));
    m_c.pictureArea->SetLookNote(note, m_model.Preview(), m_model.Clipping());
}

engine::PerChannel<std::string> Form1::FieldTexts(bool black) const {
    engine::PerChannel<std::string> texts;
    for (int c = 0; c < engine::kChannels; ++c)
        texts[c] = (black ? m_c.txtBlack : m_c.txtWhite)[c]->text().toStdString();
    return texts;
}

}  // namespace tintwell::ui
