#include "ui/histogram_view.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace tintwell::ui {
namespace {

const engine::PerChannel<QColor> kColours = {QColor(220, 40, 40), QColor(40, 170, 40),
                                             QColor(50, 80, 230)};
constexpr int kGap = 6;

}  // namespace

HistogramView::HistogramView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("histogramView"));
    setMinimumSize(280, 180);
    setAccessibleName(QStringLiteral("Histograms"));
}

void HistogramView::SetHistograms(std::optional<engine::Histograms> histograms) {
    m_histograms = std::move(histograms);
    update();
}

void HistogramView::SetMarks(const engine::PerChannel<std::optional<Marks>>& marks) {
    m_marks = marks;
    update();
}

void HistogramView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(40, 40, 40));
    if (!m_histograms || m_histograms->pixels == 0) {
        painter.setPen(Qt::lightGray);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("No picture yet: drop one"));
        return;
    }
    const int bandHeight = (height() - 4 * kGap) / 3;
    for (int c = 0; c < engine::kChannels; ++c) {
        PaintChannel(painter, c,
                     QRect(kGap, kGap + c * (bandHeight + kGap), width() - 2 * kGap, bandHeight));
    }
}

void HistogramView::PaintChannel(QPainter& painter, int c, const QRect& band) const {
    const engine::Histogram& counts = m_histograms->counts[c];
    const double most =
        std::sqrt(static_cast<double>(*std::max_element(counts.begin(), counts.end())));
    const double step = band.width() / 256.0;
    const auto xOf = [&](double value) { return band.left() + value * step; };
    painter.fillRect(band, QColor(20, 20, 20));
    for (int v = 0; v < 256; ++v) {
        const double h = most > 0 ? std::sqrt(static_cast<double>(counts[v])) / most : 0;
        painter.fillRect(
            QRectF(xOf(v), band.bottom() + 1 - h * band.height(), step, h * band.height()),
            kColours[c]);
    }
    if (!m_marks[c]) return;
    const Marks& m = *m_marks[c];
    const double black = xOf(m.black + 0.5);
    const double white = xOf(std::clamp(m.white, 0.0, 255.0) + 0.5);
    const QColor shade(0, 0, 0, 150);
    painter.fillRect(QRectF(band.left(), band.top(), black - band.left(), band.height()), shade);
    painter.fillRect(QRectF(white, band.top(), band.right() + 1 - white, band.height()), shade);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawLine(QPointF(black, band.top()), QPointF(black, band.bottom()));
    painter.drawLine(QPointF(white, band.top()), QPointF(white, band.bottom()));
}

QVBoxLayout* ChannelFigures(QWidget* parent, const std::array<const char*, 3>& names,
                            engine::PerChannel<QLabel*>& labels) {
    auto* figures = new QVBoxLayout;
    for (int c = 0; c < engine::kChannels; ++c) {
        labels[c] = new QLabel(parent);
        labels[c]->setObjectName(QString::fromLatin1(names[c]));
        labels[c]->setMinimumWidth(150);
        figures->addWidget(labels[c], 1);
    }
    return figures;
}

}  // namespace tintwell::ui
