// The roll window's commands, and how it shows what its model says.
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <cmath>

#include "document/reason.h"
#include "engine/levels_table.h"
#include "engine/shown_negative.h"
#include "ui/frame_strip.h"
#include "ui/picture_box.h"
#include "ui/picture_view.h"
#include "ui/pixel_caption.h"
#include "ui/roll_window.h"

namespace tintwell::ui {
namespace {

namespace fs = std::filesystem;

// The points remembered for a roll's folder, in the user's settings, never beside the scans.
QString SettingsKey(const fs::path& folder) {
    return QStringLiteral("roll-points/") +
           QString::fromLatin1(QByteArray(folder.c_str()).toPercentEncoding());
}

std::string Joined(const engine::PerChannel<std::string>& texts) {
    return texts[0] + "," + texts[1] + "," + texts[2];
}

std::optional<engine::PerChannel<std::string>> Split(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 3) return std::nullopt;
    return engine::PerChannel<std::string>{parts[0].toStdString(), parts[1].toStdString(),
                                           parts[2].toStdString()};
}

}  // namespace

void RollWindow::Open(const std::vector<std::string>& paths) {
    const bool first = m_model.Frames().empty();
    m_model.Add(paths);
    if (first && !m_model.Frames().empty()) RecallPoints();
    const std::string folder = m_model.Folder().string();
    if (!folder.empty() && m_outputFor != folder) {
        m_outputFor = folder;
        m_output->setText(QFile::decodeName((m_model.Folder() / "corrected").c_str()));
    }
    setWindowTitle(Title());
}

void RollWindow::AskForFiles(bool folder) {
    QFileDialog dialog(this, folder ? QStringLiteral("Add a folder of scans to the roll")
                                    : QStringLiteral("Add picture files to the roll"));
    dialog.setFileMode(folder ? QFileDialog::Directory : QFileDialog::ExistingFiles);
    if (!folder)
        dialog.setNameFilter(QStringLiteral(
            "Pictures (*.bmp *.BMP *.tif *.TIF *.tiff *.TIFF *.png *.PNG);;Camera raw files "
            "(*.dng *.DNG *.cr2 *.CR2 *.cr3 *.CR3 *.nef *.NEF *.arw *.ARW *.raf *.RAF *.orf "
            "*.ORF *.rw2 *.RW2 *.pef *.PEF *.srw *.SRW *.3fr *.3FR *.iiq *.IIQ);;All files (*)"));
    if (dialog.exec() != QDialog::Accepted) return;
    std::vector<std::string> paths;
    for (const QString& f : dialog.selectedFiles())
        paths.push_back(QFile::encodeName(f).toStdString());
    Open(paths);
}

void RollWindow::Changed(unsigned changes) {
    using R = document::RollModel;
    if (changes & (R::kFrames | R::kShown)) {
        m_strip->ShowFrames(m_model.Frames(), m_model.Shown());
        std::size_t ready = 0;
        for (const auto& f : m_model.Frames()) ready += f.state != document::Frame::State::Reading;
        m_ready->setText(
            QStringLiteral("%1 of %2 frames ready").arg(ready).arg(m_model.Frames().size()));
    }
    if (changes & R::kHistory) {
        Remember();
        ShowMode();
    }
    if (changes & (R::kCorrecting | R::kHistory | R::kFrames)) ShowProgress();
}

void RollWindow::ViewChanged(unsigned changes) {
    using M = document::PictureModel;
    if (changes & M::kPicture) {
        // While the next frame is read the view is empty; the frame comes back to the place.
        QScrollBar* across = m_view->horizontalScrollBar();
        QScrollBar* down = m_view->verticalScrollBar();
        const engine::PixelBuffer* next = m_model.View().Picture();
        if (next == nullptr && !m_view->Picture()->Pixels().IsEmpty())
            m_place = QPoint(across->value(), down->value());
        m_view->Picture()->Show(next);
        if (next != nullptr && m_place) {
            across->setValue(m_place->x());
            down->setValue(m_place->y());
            m_place.reset();
        }
    }
    if (changes & M::kRegion) m_view->Picture()->SetRegion(m_model.View().Region());
    UpdateLook();
    ShowProgress();
}

// The preview is the export: at 100% and above, the rule on the frame's own samples.
void RollWindow::UpdateLook() {
    const document::PictureModel& view = m_model.View();
    Look look;
    look.clipping = view.Clipping();
    QString note;
    if (const auto negative = view.PreviewNegative()) {
        look.exact =
            std::make_shared<const engine::ShownNegative>(*negative, view.Picture()->GetLayout());
        look.exactEverywhere = true;
        note = QStringLiteral("Preview of the positive");
    } else if (view.Preview() && view.Negative().problem) {
        note = QStringLiteral("no preview: ") +
               QString::fromStdString(
                   document::NegativeReason(*view.Negative().problem, document::Framing::Roll));
    } else if (const auto levels = view.PreviewLevels()) {
        look.preview = DrawnLevels(*levels);
        if (!view.Picture()->IsScreenLayout())
            look.exact =
                std::make_shared<const engine::ShownLevels>(*levels, view.Picture()->GetLayout());
        note = QStringLiteral("Preview");
    } else if (view.Preview() && view.Points().strict) {
        note =
            QStringLiteral("no preview: ") + QString::fromStdString(document::PointsReason(
                                                 *view.Points().strict, document::Framing::Roll));
    } else if (view.Preview()) {
        note = QStringLiteral("Preview (nothing to show)");
    }
    if (view.Clipping())
        note += note.isEmpty() ? QStringLiteral("Clipping") : QStringLiteral(", clipping");
    m_view->Picture()->SetLook(std::move(look));
    m_view->SetLookNote(note, view.Preview(), view.Clipping());
}

// The pixel's own values, 16-bit ones for a 16-bit frame.
void RollWindow::ShowReadout(int x, int y) {
    const engine::PixelBuffer* p = m_model.View().Picture();
    if (p == nullptr || x < 0 || y < 0 || x >= p->Width() || y >= p->Height()) return;
    setWindowTitle(Title() + QString::fromStdString(SampleReadout(engine::SamplesAt(*p, x, y))));
}

void RollWindow::ShowProgress() {
    const document::RollModel::Progress& p = m_model.Correcting();
    const bool negative = m_model.Settings().isNegative;
    const bool usable = negative ? m_model.View().Negative().negative.has_value()
                                 : m_model.View().Points().levels.has_value();
    m_correct->setEnabled(!p.running && usable && !m_model.Frames().empty());
    m_cancel->setEnabled(p.running);
    m_suggestRoll->setEnabled(
        negative ? !p.running && !m_model.Frames().empty() &&
                       document::CountingNegative(m_model.Settings().negative).has_value()
                 : m_model.RollSuggestion().has_value());
    m_summary->setText(QString::fromStdString(p.summary));
    m_progress->setMaximum(static_cast<int>(std::max<std::size_t>(1, p.files)));
    m_progress->setValue(static_cast<int>(p.done));
    if (!p.running)
        return m_progress->setFormat(p.files == 0 ? QString() : QStringLiteral("%v of %m files"));
    const double rate = p.seconds > 0 ? p.pixels / 1e6 / p.seconds : 0;
    QString text =
        p.counting ? QStringLiteral("%v of %m frames counted for the roll")
                   : QStringLiteral("%v of %m files, %1 megapixels a second").arg(rate, 0, 'f', 0);
    if (p.done > 0 && p.done < p.files) {
        const long left = std::lround(p.seconds / p.done * (p.files - p.done));
        text +=
            QStringLiteral(", %1:%2 left").arg(left / 60).arg(left % 60, 2, 10, QLatin1Char('0'));
    }
    m_progress->setFormat(text);
}

void RollWindow::WritePoints(const engine::PerChannel<int>* blacks,
                             const engine::PerChannel<int>* whites) {
    engine::PerChannel<std::string> b = m_model.View().Blacks(), w = m_model.View().Whites();
    for (int c = 0; c < engine::kChannels; ++c) {
        if (blacks != nullptr) b[c] = std::to_string((*blacks)[c]);
        if (whites != nullptr) w[c] = std::to_string((*whites)[c]);
    }
    m_model.SetPoints(b, w);
}

void RollWindow::WriteDensities(const engine::PerChannel<double>* shadows,
                                const engine::PerChannel<double>* highlights, int decimals) {
    document::NegativeTexts texts = m_model.Settings().negative;
    for (int c = 0; c < engine::kChannels; ++c) {
        if (shadows != nullptr) texts.shadows[c] = document::DensityText((*shadows)[c], decimals);
        if (highlights != nullptr)
            texts.highlights[c] = document::DensityText((*highlights)[c], decimals);
    }
    m_model.SetNegative(texts);
}

void RollWindow::SuggestForTheRoll() {
    if (m_model.Settings().isNegative) {
        m_model.SuggestNegativeRoll(engine::kDefaultClipPercent, engine::kDefaultClipPercent,
                                    engine::kDefaultMarginPercent);
    } else if (const auto points = m_model.RollSuggestion()) {
        WritePoints(&points->black, &points->white);
    }
}

// Into the output folder; over the originals only when asked for, and after a question.
void RollWindow::CorrectRoll() {
    if (!m_correct->isEnabled()) return;
    const bool inPlace = m_replace->isChecked();
    if (inPlace) {
        std::size_t taken = 0;
        for (const auto& f : m_model.Frames()) taken += f.state != document::Frame::State::Refused;
        const std::string question = "Replace the " + std::to_string(taken) +
                                     " original files of the roll with their corrections? The "
                                     "originals can't be had back.";
        if (m_platform.MsgBox(question, platform::MsgStyle::YesNoWarning, "Tintwell Roll") !=
            platform::Answer::Yes)
            return;
    }
    m_model.Correct(QFile::encodeName(m_output->text()).toStdString(), inPlace);
}

// The points, then the negative's settings: "blacks;whites;negative or not;bases;shadows;
// highlights;contrast;black and white or not".
void RollWindow::Remember() const {
    if (m_model.Frames().empty()) return;
    const document::RollSettings& s = m_model.Settings();
    const document::NegativeTexts& n = s.negative;
    QSettings settings;
    settings.setValue(SettingsKey(m_model.Folder()),
                      QString::fromStdString(Joined(s.blacks) + ";" + Joined(s.whites) + ";" +
                                             (s.isNegative ? "1" : "0") + ";" + Joined(n.bases) +
                                             ";" + Joined(n.shadows) + ";" + Joined(n.highlights) +
                                             ";" + n.contrast + ";" + (n.mono ? "1" : "0")));
}

void RollWindow::RecallPoints() {
    const QStringList kept =
        QSettings().value(SettingsKey(m_model.Folder())).toString().split(QLatin1Char(';'));
    if (kept.size() != 2 && kept.size() != 8) return;
    const auto blacks = Split(kept[0]), whites = Split(kept[1]);
    if (!blacks || !whites) return;
    document::RollSettings settings{*blacks, *whites, {}, false};
    if (kept.size() == 8) {
        const auto bases = Split(kept[3]), shadows = Split(kept[4]), highlights = Split(kept[5]);
        if (!bases || !shadows || !highlights) return;
        settings.isNegative = kept[2] == QLatin1String("1");
        settings.negative = {*bases, *shadows, *highlights, kept[6].toStdString(),
                             kept[7] == QLatin1String("1")};
    }
    m_model.StartFrom(settings);
}

}  // namespace tintwell::ui
