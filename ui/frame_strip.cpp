#include "ui/frame_strip.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSignalBlocker>
#include <filesystem>

namespace tintwell::ui {
namespace {

constexpr int kSide = 160;

QString NameOf(const std::string& path) {
    return QFile::decodeName(std::filesystem::path(path).filename().c_str());
}

// The thumbnail on a square of its own, or a plain square with a word where there is none yet.
QIcon IconOf(const document::Frame& f) {
    QPixmap square(kSide, kSide);
    square.fill(QColor(0x40, 0x40, 0x40));
    QPainter painter(&square);
    if (f.thumbnail && !f.thumbnail->IsEmpty()) {
        const engine::PixelBuffer& t = *f.thumbnail;
        const QImage image(reinterpret_cast<const uchar*>(t.Data()), t.Width(), t.Height(),
                           static_cast<qsizetype>(t.RowSize()), QImage::Format_RGB32);
        painter.drawImage(QPoint((kSide - t.Width()) / 2, (kSide - t.Height()) / 2), image);
    }
    if (f.state == document::Frame::State::Refused ||
        f.state == document::Frame::State::NotCorrected) {
        painter.setPen(QPen(QColor(0xE0, 0x30, 0x30), 6));
        painter.drawLine(20, 20, kSide - 20, kSide - 20);
        painter.drawLine(kSide - 20, 20, 20, kSide - 20);
    }
    if (f.state == document::Frame::State::Corrected) {
        painter.setPen(QPen(QColor(0x30, 0xC0, 0x50), 8));
        painter.drawLine(kSide - 50, kSide - 25, kSide - 35, kSide - 12);
        painter.drawLine(kSide - 35, kSide - 12, kSide - 10, kSide - 45);
    }
    return QIcon(square);
}

QString StateOf(const document::Frame& f) {
    using S = document::Frame::State;
    const QString size = QStringLiteral("%1 x %2, %3-bit").arg(f.width).arg(f.height).arg(f.bits);
    switch (f.state) {
        case S::Reading:
            return QStringLiteral("reading\u2026");
        case S::Ready:
            return size;
        case S::Refused:
            return QStringLiteral("left out");
        case S::Correcting:
            return QStringLiteral("correcting\u2026");
        case S::Corrected:
            return size + QStringLiteral(", corrected");
        case S::NotCorrected:
            return size + QStringLiteral(", not corrected");
    }
    return {};
}

}  // namespace

FrameStrip::FrameStrip(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("frames"));
    setAccessibleName(QStringLiteral("Frames"));
    setViewMode(QListView::IconMode);
    setFlow(QListView::LeftToRight);
    setWrapping(false);
    setMovement(QListView::Static);
    setIconSize(QSize(kSide, kSide));
    setGridSize(QSize(kSide + 30, kSide + 50));
    setFixedHeight(kSide + 75);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setToolTip(
        QStringLiteral("The roll's frames: click one, or Page Up and Page Down, to show it"));
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) emit FrameChosen(static_cast<std::size_t>(row));
    });
}

void FrameStrip::ShowFrames(const std::vector<document::Frame>& frames,
                            std::optional<std::size_t> shown) {
    const QSignalBlocker quiet(this);
    while (count() > static_cast<int>(frames.size())) delete takeItem(count() - 1);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const document::Frame& f = frames[i];
        if (static_cast<int>(i) >= count()) addItem(new QListWidgetItem);
        QListWidgetItem* item = this->item(static_cast<int>(i));
        const QString name = NameOf(f.path);
        item->setText(name + QLatin1Char('\n') + StateOf(f));
        item->setIcon(IconOf(f));
        item->setData(Qt::AccessibleTextRole, name);
        const QString why = QString::fromStdString(f.why);
        item->setData(Qt::AccessibleDescriptionRole, why.isEmpty() ? StateOf(f) : why);
        item->setToolTip(QFile::decodeName(f.path.c_str()) +
                         (why.isEmpty() ? QString() : QStringLiteral("\n") + why));
    }
    if (shown) setCurrentRow(static_cast<int>(*shown));
}

}  // namespace tintwell::ui
