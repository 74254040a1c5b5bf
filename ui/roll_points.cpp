#include "ui/roll_points.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>

#include "document/reason.h"

namespace tintwell::ui {
namespace {

const std::array<const char*, 3> kChannel = {"Red", "Green", "Blue"};
const std::array<const char*, 3> kColour = {"#d03030", "#30a030", "#3050d0"};

const char* const kTip =
    "A plain number: digits, with at most one decimal point; black points 0 to 255, white "
    "points 1 to 255, each above its black point. Ctrl+Z undoes a change to the points, "
    "Ctrl+Shift+Z redoes it";

QLineEdit* Field(QWidget* parent, int c, bool black) {
    auto* field = new QLineEdit(parent);
    const QString name = QString::fromLatin1(kChannel[c]) +
                         (black ? QStringLiteral(" black point") : QStringLiteral(" white point"));
    field->setObjectName(QStringLiteral("roll") +
                         (black ? QStringLiteral("Black") : QStringLiteral("White")) +
                         QLatin1Char(kChannel[c][0]));
    field->setAccessibleName(name);
    field->setMaxLength(7);
    field->setAlignment(Qt::AlignCenter);
    field->setFixedWidth(64);
    field->setStyleSheet(QStringLiteral("QLineEdit { border: 2px solid %1; }").arg(kColour[c]));
    return field;
}

QToolButton* Step(QWidget* parent, const char* name, const char* caption, const char* tip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(QString::fromLatin1(caption));
    button->setAccessibleName(QString::fromLatin1(caption));
    button->setToolTip(QString::fromLatin1(tip));
    return button;
}

}  // namespace

RollPoints::RollPoints(document::RollModel& model, QWidget* parent)
    : QWidget(parent), m_model(model) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Black point"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("White point"), this), 1, 0);
    for (int c = 0; c < engine::kChannels; ++c) {
        m_black[c] = Field(this, c, true);
        m_white[c] = Field(this, c, false);
        grid->addWidget(m_black[c], 0, c + 1);
        grid->addWidget(m_white[c], 1, c + 1);
        for (QLineEdit* f : {m_black[c], m_white[c]}) {
            connect(f, &QLineEdit::textEdited, this, &RollPoints::Edited);
            connect(f, &QLineEdit::editingFinished, this, [this] { m_model.TypingEnded(); });
        }
    }
    m_undo = Step(this, "undoPoints", "Undo", "Undo the last change to the points (Ctrl+Z)");
    m_redo =
        Step(this, "redoPoints", "Redo", "Redo the change to the points undone (Ctrl+Shift+Z)");
    connect(m_undo, &QToolButton::clicked, this, [this] { m_model.Undo(); });
    connect(m_redo, &QToolButton::clicked, this, [this] { m_model.Redo(); });
    grid->addWidget(m_undo, 0, 4);
    grid->addWidget(m_redo, 1, 4);
    model.Listen([this](unsigned changes) {
        if (changes & document::RollModel::kHistory) ShowPoints();
    });
    ShowPoints();
}

void RollPoints::Edited() {
    engine::PerChannel<std::string> blacks, whites;
    for (int c = 0; c < engine::kChannels; ++c) {
        blacks[c] = m_black[c]->text().toStdString();
        whites[c] = m_white[c]->text().toStdString();
    }
    m_model.SetPoints(blacks, whites, true);
}

// The texts as the model has them, and the field at fault marked with why.
void RollPoints::ShowPoints() {
    const document::PictureModel& view = m_model.View();
    const auto& problem = view.Points().strict;
    for (int c = 0; c < engine::kChannels; ++c) {
        for (const bool black : {true, false}) {
            QLineEdit* f = (black ? m_black : m_white)[c];
            const std::string& text = (black ? view.Blacks() : view.Whites())[c];
            if (f->text().toStdString() != text) {
                const QSignalBlocker quiet(f);
                f->setText(QString::fromStdString(text));
            }
            const bool wrong = problem && static_cast<int>(problem->channel) == c &&
                               (problem->field == engine::Field::BlackPoint) == black;
            f->setProperty("wrong", wrong);
            f->setStyleSheet(
                QStringLiteral("QLineEdit { border: 2px solid %1; %2 }")
                    .arg(kColour[c], wrong ? QStringLiteral("background: #ffd0d0;") : QString()));
            f->setToolTip(wrong ? QString::fromStdString(
                                      document::PointsReason(*problem, document::Framing::Roll))
                                : QString::fromLatin1(kTip));
        }
    }
    m_undo->setEnabled(m_model.CanUndo());
    m_redo->setEnabled(m_model.CanRedo());
}

}  // namespace tintwell::ui
