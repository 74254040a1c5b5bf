#include "ui/roll_points.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>

#include "document/reason.h"

namespace tintwell::ui {
namespace {

const std::array<const char*, 3> kChannel = {"Red", "Green", "Blue"};
const std::array<const char*, 4> kColour = {"#d03030", "#30a030", "#3050d0", "#808080"};

const char* const kTip =
    "A plain number: digits, with at most one decimal point; black points 0 to 255, white "
    "points 1 to 255, each above its black point. Ctrl+Z undoes a change to the points, "
    "Ctrl+Shift+Z redoes it";
const char* const kDensityTip =
    "A density above the film base, a plain number from 0 to 4: the shadow becomes black, the "
    "highlight white, each highlight above its shadow. Ctrl+Z undoes a change, Ctrl+Shift+Z "
    "redoes it";
const char* const kBaseTip =
    "The level of the unexposed film between frames, on the 16-bit scale: a plain number from 1 "
    "to 65535 (Film base from region takes it from the rebate)";
const char* const kContrastTip =
    "The print curve's contrast, a plain number from 0.5 to 4 (2 as a rule)";

QLineEdit* Field(QWidget* parent, const QString& objectName, int width) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(objectName);
    field->setMaxLength(7);
    field->setAlignment(Qt::AlignCenter);
    field->setFixedWidth(width);
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
    m_negative = new QCheckBox(QStringLiteral("&Negative"), this);
    m_negative->setObjectName(QStringLiteral("negativeMode"));
    m_negative->setToolTip(QStringLiteral(
        "The roll is of negatives as they come off the film (linear scans, camera raw files): "
        "each frame is inverted into a positive by its film base and densities"));
    m_mono = new QCheckBox(QStringLiteral("Black and &white"), this);
    m_mono->setObjectName(QStringLiteral("blackAndWhite"));
    m_mono->setToolTip(QStringLiteral(
        "A black-and-white negative scanned in colour: the mean of the three densities, by "
        "red's shadow and highlight, written as a grey file"));
    grid->addWidget(m_negative, 0, 0, 1, 2);
    grid->addWidget(m_mono, 0, 2, 1, 3);
    m_firstRow = new QLabel(this);
    m_secondRow = new QLabel(this);
    grid->addWidget(m_firstRow, 1, 0);
    grid->addWidget(m_secondRow, 2, 0);
    m_negativeRows = new QWidget(this);
    auto* more = new QGridLayout(m_negativeRows);
    more->setContentsMargins(0, 0, 0, 0);
    more->addWidget(new QLabel(QStringLiteral("Film base"), m_negativeRows), 0, 0);
    more->addWidget(new QLabel(QStringLiteral("Contrast"), m_negativeRows), 1, 0);
    for (int c = 0; c < engine::kChannels; ++c) {
        const QString initial(QLatin1Char(kChannel[c][0]));
        m_black[c] = Field(this, QStringLiteral("rollBlack") + initial, 64);
        m_white[c] = Field(this, QStringLiteral("rollWhite") + initial, 64);
        m_base[c] = Field(m_negativeRows, QStringLiteral("rollBase") + initial, 64);
        m_base[c]->setAccessibleName(QString::fromLatin1(kChannel[c]) +
                                     QStringLiteral(" film base"));
        grid->addWidget(m_black[c], 1, c + 1);
        grid->addWidget(m_white[c], 2, c + 1);
        more->addWidget(m_base[c], 0, c + 1);
    }
    m_contrast = Field(m_negativeRows, QStringLiteral("rollContrast"), 64);
    m_contrast->setAccessibleName(QStringLiteral("Contrast"));
    more->addWidget(m_contrast, 1, 1);
    grid->addWidget(m_negativeRows, 3, 0, 1, 5);
    for (QLineEdit* f : findChildren<QLineEdit*>()) {
        connect(f, &QLineEdit::textEdited, this, &RollPoints::Edited);
        connect(f, &QLineEdit::editingFinished, this, [this] { m_model.TypingEnded(); });
    }
    connect(m_negative, &QCheckBox::toggled, this,
            [this](bool on) { m_model.SetNegativeMode(on); });
    connect(m_mono, &QCheckBox::toggled, this, [this](bool on) {
        document::NegativeTexts texts = m_model.Settings().negative;
        texts.mono = on;
        m_model.SetNegative(texts);
    });
    m_undo = Step(this, "undoPoints", "Undo", "Undo the last change to the points (Ctrl+Z)");
    m_redo =
        Step(this, "redoPoints", "Redo", "Redo the change to the points undone (Ctrl+Shift+Z)");
    connect(m_undo, &QToolButton::clicked, this, [this] { m_model.Undo(); });
    connect(m_redo, &QToolButton::clicked, this, [this] { m_model.Redo(); });
    grid->addWidget(m_undo, 1, 4);
    grid->addWidget(m_redo, 2, 4);
    model.Listen([this](unsigned changes) {
        if (changes & document::RollModel::kHistory) ShowSettings();
    });
    ShowSettings();
}

void RollPoints::Edited() {
    const auto texts = [](const engine::PerChannel<QLineEdit*>& fields) {
        engine::PerChannel<std::string> out;
        for (int c = 0; c < engine::kChannels; ++c) out[c] = fields[c]->text().toStdString();
        return out;
    };
    if (!m_model.Settings().isNegative)
        return m_model.SetPoints(texts(m_black), texts(m_white), true);
    document::NegativeTexts negative = m_model.Settings().negative;
    negative.shadows = texts(m_black);
    negative.highlights = texts(m_white);
    negative.bases = texts(m_base);
    negative.contrast = m_contrast->text().toStdString();
    m_model.SetNegative(negative, true);
}

// The same six fields name points or densities.
void RollPoints::ShowNames(bool negative) {
    m_firstRow->setText(negative ? QStringLiteral("Shadow density")
                                 : QStringLiteral("Black point"));
    m_secondRow->setText(negative ? QStringLiteral("Highlight density")
                                  : QStringLiteral("White point"));
    for (int c = 0; c < engine::kChannels; ++c) {
        const QString channel = QString::fromLatin1(kChannel[c]);
        m_black[c]->setAccessibleName(channel + (negative ? QStringLiteral(" shadow density")
                                                          : QStringLiteral(" black point")));
        m_white[c]->setAccessibleName(channel + (negative ? QStringLiteral(" highlight density")
                                                          : QStringLiteral(" white point")));
    }
    m_negativeRows->setVisible(negative);
    m_mono->setEnabled(negative);
}

void RollPoints::Mark(QLineEdit* f, int colour, const std::string& text, const QString& wrong,
                      const char* tip) {
    if (f->text().toStdString() != text) {
        const QSignalBlocker quiet(f);
        f->setText(QString::fromStdString(text));
    }
    f->setProperty("wrong", !wrong.isEmpty());
    f->setStyleSheet(QStringLiteral("QLineEdit { border: 2px solid %1; %2 }")
                         .arg(kColour[colour], wrong.isEmpty()
                                                   ? QString()
                                                   : QStringLiteral("background: #ffd0d0;")));
    f->setToolTip(wrong.isEmpty() ? QString::fromLatin1(tip) : wrong);
}

// The texts as the model has them, and the field at fault marked with why.
void RollPoints::ShowSettings() {
    const document::RollSettings& s = m_model.Settings();
    const document::PictureModel& view = m_model.View();
    for (QCheckBox* box : {m_negative, m_mono}) {
        const QSignalBlocker quiet(box);
        box->setChecked(box == m_negative ? s.isNegative : s.negative.mono);
    }
    ShowNames(s.isNegative);
    using What = engine::NegativeProblem::What;
    const auto& points = view.Points().strict;
    const auto& negative = view.Negative().problem;
    const auto wrongAt = [&](What what, int c) {
        if (!s.isNegative || !negative || negative->what != what ||
            (what != What::Contrast && static_cast<int>(negative->channel) != c))
            return QString();
        return QString::fromStdString(document::NegativeReason(*negative, document::Framing::Roll));
    };
    for (int c = 0; c < engine::kChannels; ++c) {
        for (const bool black : {true, false}) {
            QString wrong;
            if (s.isNegative) {
                wrong = wrongAt(black ? What::Shadow : What::Highlight, c);
            } else if (points && static_cast<int>(points->channel) == c &&
                       (points->field == engine::Field::BlackPoint) == black) {
                wrong = QString::fromStdString(
                    document::PointsReason(*points, document::Framing::Roll));
            }
            const std::string& text = s.isNegative
                                          ? (black ? s.negative.shadows : s.negative.highlights)[c]
                                          : (black ? s.blacks : s.whites)[c];
            Mark((black ? m_black : m_white)[c], c, text, wrong, s.isNegative ? kDensityTip : kTip);
        }
        Mark(m_base[c], c, s.negative.bases[c], wrongAt(What::FilmBase, c), kBaseTip);
    }
    Mark(m_contrast, 3, s.negative.contrast, wrongAt(What::Contrast, 0), kContrastTip);
    m_undo->setEnabled(m_model.CanUndo());
    m_redo->setEnabled(m_model.CanRedo());
}

}  // namespace tintwell::ui
