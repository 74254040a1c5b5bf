// The histogram window's binding to the main window: the fields' context menus and Ctrl+H open
// it; it follows the shown picture and the fields, and writes suggested points into them.
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <memory>

#include "ui/form1.h"
#include "ui/histogram_window.h"
#include "ui/picture_box.h"
#include "ui/picture_view.h"

namespace tintwell::ui {
namespace {
const char* const kFieldTip = "Right-click, or Ctrl+H: the histogram, and suggested points";
}  // namespace

void Form1::BuildHistogram() {
    m_histogram = new HistogramWindow(m_model, this);
    connect(m_histogram, &HistogramWindow::Suggested, this,
            [this](const engine::Points& points) { WritePoints(&points.black, &points.white); });
    for (int c = 0; c < engine::kChannels; ++c) {
        for (QLineEdit* field : {m_c.txtBlack[c], m_c.txtWhite[c]}) {
            field->setToolTip(QString::fromLatin1(kFieldTip));
            field->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(field, &QLineEdit::customContextMenuRequested, this,
                    [this, field](QPoint at) { FieldMenu(field, at); });
            connect(field, &QLineEdit::textChanged, this, &Form1::FieldsChanged);
        }
    }
    auto* toggle = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
    toggle->setContext(Qt::WindowShortcut);
    connect(toggle, &QShortcut::activated, this, &Form1::ToggleHistogram);
    auto* toggleThere = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), m_histogram);
    connect(toggleThere, &QShortcut::activated, this, &Form1::ToggleHistogram);
    auto* roll = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    connect(roll, &QShortcut::activated, this, &Form1::RollAsked);
    m_c.pictureArea->AddMenuEntry(QStringLiteral("Open a roll\u2026\tCtrl+R"),
                                  [this] { emit RollAsked(); });
    FieldsChanged();
}

void Form1::ToggleHistogram() {
    if (m_histogram->isVisible()) return m_histogram->hide();
    ShowHistogram();
}

void Form1::ShowHistogram() {
    const QWidget* area = m_c.pictureArea;
    const QRect shown =
        area->isVisible() ? QRect(area->mapToGlobal(QPoint(0, 0)), area->size()) : QRect();
    m_histogram->ShowBeside(shown);
}

void Form1::FieldsChanged() {
    m_model.SetTexts(FieldTexts(true), FieldTexts(false));
}

void Form1::FieldMenu(QLineEdit* field, QPoint at) {
    const std::unique_ptr<QMenu> menu(field->createStandardContextMenu());
    menu->addSeparator();
    menu->addAction(m_histogram->isVisible() ? QStringLiteral("Hide histogram\tCtrl+H")
                                             : QStringLiteral("Show histogram\tCtrl+H"),
                    this, &Form1::ToggleHistogram);
    menu->addAction(QStringLiteral("Open a roll\u2026\tCtrl+R"), this, &Form1::RollAsked);
    QAction* suggest = menu->addAction(QStringLiteral("Suggest points"), this, [this] {
        ShowHistogram();
        m_histogram->Suggest();
    });
    suggest->setEnabled(m_document.HasFile() && m_stage != Stage::Processing);
    menu->exec(field->mapToGlobal(at));
}

// Points written into the fields (a suggestion, a pick), black or white or both.
void Form1::WritePoints(const engine::PerChannel<int>* blacks,
                        const engine::PerChannel<int>* whites) {
    for (int c = 0; c < engine::kChannels; ++c) {
        if (blacks != nullptr) m_c.txtBlack[c]->setText(QString::number((*blacks)[c]));
        if (whites != nullptr) m_c.txtWhite[c]->setText(QString::number((*whites)[c]));
    }
}

// The document holds a new picture: the views show it from now on. A region kept over a
// Reload is cut to the picture as it now is.
void Form1::PictureShown(bool keepRegion) {
    m_c.picture1->Show(&m_document.Pixels());
    m_model.SetPicture(&m_document.Pixels(), keepRegion);
}

}  // namespace tintwell::ui
