// The window's controls: where they sit, what they say, their colours and their tab order.
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "ui/colours.h"
#include "ui/drop_label.h"
#include "ui/form1.h"
#include "ui/picture_box.h"
#include "ui/picture_view.h"
#include "ui/twips.h"

namespace tintwell::ui {
namespace {

constexpr std::uint32_t kYellow = 0x00FFFF;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr engine::PerChannel<std::uint32_t> kChannelColours = {0x0000FF, 0x00FF00, 0xFF0000};

// A rectangle outline that only decorates: it takes no focus and no clicks.
class Shape : public QWidget {
public:
    Shape(QWidget* parent, std::uint32_t outline) : QWidget(parent), m_outline(VbColour(outline)) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(m_outline);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    QColor m_outline;
};

QFont FieldFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Bold);
    return font;
}

template <typename W>
W* Place(W* widget, const char* name, const QRect& twips, const QString& accessibleName) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(FromTwips(twips));
    widget->setAccessibleName(accessibleName);
    return widget;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const QRect& twips,
                    const char* tooltip) {
    auto* button = Place(new QPushButton(QString::fromLatin1(caption), parent), name, twips,
                         QString::fromLatin1(caption));
    button->setToolTip(QString::fromLatin1(tooltip));
    button->setEnabled(false);
    return button;
}

QLabel* Panel(QWidget* parent, const char* name, const char* caption, const QRect& twips,
              std::uint32_t back, std::uint32_t text) {
    auto* label = Place(new QLabel(QString::fromLatin1(caption), parent), name, twips,
                        QString::fromLatin1(caption));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setFont(FieldFont());
    Paint(label, back, text);
    return label;
}

// Three fields on a panel, each inside an outline of its channel's colour.
engine::PerChannel<QLineEdit*> Fields(QWidget* parent, const std::array<const char*, 3>& names,
                                      const std::array<const char*, 3>& shapes,
                                      const engine::PerChannel<int>& shapeLefts,
                                      const engine::PerChannel<int>& fieldLefts,
                                      const std::array<const char*, 3>& texts, const char* what) {
    static const std::array<const char*, 3> kChannelWords = {"Red", "Green", "Blue"};
    engine::PerChannel<QLineEdit*> fields{};
    for (int c = 0; c < engine::kChannels; ++c) {
        Place(new Shape(parent, kChannelColours[c]), shapes[c], QRect(shapeLefts[c], 210, 795, 405),
              QString());
    }
    for (int c = 0; c < engine::kChannels; ++c) {
        auto* field = Place(new QLineEdit(QString::fromLatin1(texts[c]), parent), names[c],
                            QRect(fieldLefts[c], 270, 500, 285),
                            QString::fromLatin1(kChannelWords[c]) + QLatin1String(what));
        field->setMaxLength(3);
        field->setAlignment(Qt::AlignCenter);
        field->setFont(FieldFont());
        field->setTextMargins(0, 0, 0, 0);
        fields[c] = field;
    }
    return fields;
}

// The picture sits below the strip, in an area that zooms and scrolls it.
void BuildPictureArea(QWidget* form, Controls& c) {
    c.pictureArea = new PictureView(form);
    c.pictureArea->move(FromTwips(QPoint(30, 705)));
    c.picture1 = c.pictureArea->Picture();  // the area places it; it sizes itself to the picture
    c.picture1->setObjectName(QStringLiteral("Picture1"));
    c.picture1->setAccessibleName(QStringLiteral("Picture"));
    c.picture1->setToolTip(QStringLiteral("Click picture to see RGB values"));
    c.picture1->setFocusPolicy(Qt::StrongFocus);
    c.pictureArea->hide();
}

// Tab order: Process, Save, the six fields, Reload, Cancel, the picture, EXIT.
void SetTabOrder(const Controls& c) {
    const std::array<QWidget*, 11> tabOrder = {
        c.btnProcess,  c.btnSave,     c.txtBlack[0], c.txtBlack[1], c.txtBlack[2], c.txtWhite[0],
        c.txtWhite[1], c.txtWhite[2], c.btnReload,   c.btnStop,     c.picture1};
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    QWidget::setTabOrder(c.picture1, c.btnExit);
}

}  // namespace

void Form1::BuildControls() {
    Paint(this, kLightGrey);
    m_c.label3 = Place(new DropLabel(QStringLiteral("Drop BMP here"), this), "Label3",
                       QRect(15, 15, 510, 645), QStringLiteral("Drop BMP here"));
    m_c.label3->setToolTip(QStringLiteral("Drag a BMP file from Explorer and drop it here"));
    m_c.label3->setWordWrap(true);
    m_c.label3->setFrameShape(QFrame::Box);
    m_c.label3->setFont(FieldFont());
    Paint(m_c.label3, kDarkGrey, kYellow);

    m_c.btnReload = Button(this, "btnReload", "Reload", QRect(540, 15, 750, 650),
                           "Reloads current picture (lose changes)");
    Panel(this, "Label1", "Black point", QRect(1305, 15, 2505, 645), kBlack, kWhite);
    m_c.txtBlack =
        Fields(this, {"txtBlackR", "txtBlackG", "txtBlackB"}, {"Shape1", "Shape2", "Shape3"},
               {1365, 2145, 2940}, {1515, 2310, 3090}, {"10", "45", "80"}, " black point");
    Panel(this, "Label2", "White point", QRect(3810, 15, 2505, 645), kWhite, kBlack);
    m_c.txtWhite =
        Fields(this, {"txtWhiteR", "txtWhiteG", "txtWhiteB"}, {"Shape4", "Shape5", "Shape6"},
               {3870, 4650, 5445}, {4020, 4815, 5595}, {"75", "180", "210"}, " white point");
    m_c.btnProcess = Button(this, "btnProcess", "Process", QRect(6330, 15, 750, 650),
                            "Apply black and white point settings");
    m_c.btnStop = Button(this, "btnStop", "Cancel", QRect(7080, 15, 750, 650), "Cancel processing");
    m_c.btnSave = Button(this, "btnSave", "Save", QRect(7830, 15, 750, 650),
                         "Save picture (overwrites original BMP)");
    m_c.btnExit = Button(this, "btnExit", "EXIT", QRect(8670, 15, 555, 650), "Exit Tintwell");
    m_c.btnExit->setEnabled(true);

    BuildPictureArea(this, m_c);
    SetTabOrder(m_c);
}

}  // namespace tintwell::ui
