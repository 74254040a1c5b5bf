#pragma once

#include <QWidget>
#include <optional>

#include "engine/histogram.h"

class QLabel;
class QVBoxLayout;

namespace tintwell::ui {

// The three channel histograms one above the other, each in its colour, with the channel's
// black and white point drawn on it and what lies beyond them shaded: that is what the points
// send to 0 and to 255. Counts are drawn on a square-root scale, so that the few pixels near
// the ends, where the points go, still show beside the many in the middle.
class HistogramView : public QWidget {
    Q_OBJECT
public:
    struct Marks {
        int black = 0;
        double white = 255;
    };

    explicit HistogramView(QWidget* parent = nullptr);

    void SetHistograms(std::optional<engine::Histograms> histograms);
    void SetMarks(const engine::PerChannel<std::optional<Marks>>& marks);
    QSize sizeHint() const override { return {532, 330}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintChannel(class QPainter& painter, int channel, const QRect& band) const;

    std::optional<engine::Histograms> m_histograms;
    engine::PerChannel<std::optional<Marks>> m_marks{};
};

// The three channels' figures beside the histograms: a label each, named `names`, one above the
// other.
QVBoxLayout* ChannelFigures(QWidget* parent, const std::array<const char*, 3>& names,
                            engine::PerChannel<QLabel*>& labels);

}  // namespace tintwell::ui
