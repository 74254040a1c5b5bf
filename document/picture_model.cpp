#include "document/picture_model.h"

#include <algorithm>
#include <variant>

namespace tintwell::document {
namespace {

SettledPoints Settle(Reading reading, const engine::PerChannel<std::string>& blacks,
                     const engine::PerChannel<std::string>& whites) {
    SettledPoints settled;
    if (reading == Reading::Lenient) {
        settled.lenient = engine::CalcFactors(blacks, whites);
        if (!settled.lenient.error) settled.levels = settled.lenient.levels;
        return settled;
    }
    const auto read = engine::ReadPoints(blacks, whites);
    if (const auto* problem = std::get_if<engine::PointsProblem>(&read)) {
        settled.strict = *problem;
    } else {
        settled.levels = std::get<engine::Levels>(read);
    }
    return settled;
}

}  // namespace

std::optional<engine::Negative> CountingNegative(const NegativeTexts& texts) {
    const auto read =
        engine::ReadNegative(texts.bases, {"0", "0", "0"}, {"4", "4", "4"}, "2", texts.mono);
    if (const auto* negative = std::get_if<engine::Negative>(&read)) return *negative;
    return std::nullopt;
}

PictureModel::PictureModel(Reading reading) : m_reading(reading) {
    m_points = Settle(reading, m_blacks, m_whites);
}

void PictureModel::Listen(Listener listener) {
    m_listeners.push_back(std::move(listener));
}

void PictureModel::Tell(unsigned changes) const {
    for (const Listener& listener : m_listeners) listener(changes);
}

void PictureModel::SetPicture(const engine::PixelBuffer* picture, bool keepRegion,
                              std::shared_ptr<const engine::Histograms> counted) {
    m_picture = picture;
    m_counted = std::move(counted);
    unsigned changes = kPicture;
    if (m_region && !(keepRegion && picture == nullptr)) {
        std::optional<engine::Region> kept;
        if (keepRegion && picture != nullptr) {
            const engine::Region r{m_region->left, m_region->top,
                                   std::min(m_region->right, picture->Width()),
                                   std::min(m_region->bottom, picture->Height())};
            if (r.right > r.left && r.bottom > r.top) kept = r;
        }
        if (kept.has_value() != m_region.has_value() ||
            (kept && (kept->right != m_region->right || kept->bottom != m_region->bottom)))
            changes |= kRegion;
        m_region = kept;
    }
    Tell(changes);
}

void PictureModel::PixelsChanged() {
    m_counted.reset();
    Tell(kPicture);
}

void PictureModel::SetTexts(const engine::PerChannel<std::string>& blacks,
                            const engine::PerChannel<std::string>& whites) {
    if (blacks == m_blacks && whites == m_whites) return;
    m_blacks = blacks;
    m_whites = whites;
    m_points = Settle(m_reading, blacks, whites);
    Tell(kPoints);
}

void PictureModel::SetPreview(bool on) {
    if (on == m_preview) return;
    m_preview = on;
    Tell(kLook);
}

void PictureModel::SetClipping(bool on) {
    if (on == m_clipping) return;
    m_clipping = on;
    Tell(kLook);
}

void PictureModel::SetRegion(std::optional<engine::Region> region) {
    m_region = region;
    Tell(kRegion);
}

void PictureModel::SetBusy(bool busy) {
    if (busy) m_cancelAsked = false;
    if (busy == m_busy) return;
    m_busy = busy;
    Tell(kBusy);
}

void PictureModel::SetCorrected(bool corrected) {
    if (corrected == m_corrected) return;
    m_corrected = corrected;
    Tell(kBusy);
}

void PictureModel::SetNegative(const std::optional<NegativeTexts>& texts) {
    if (texts == m_negativeTexts) return;
    m_negativeTexts = texts;
    m_negative = {};
    if (texts) {
        const auto read = engine::ReadNegative(texts->bases, texts->shadows, texts->highlights,
                                               texts->contrast, texts->mono);
        if (const auto* problem = std::get_if<engine::NegativeProblem>(&read)) {
            m_negative.problem = *problem;
        } else {
            m_negative.negative = std::get<engine::Negative>(read);
        }
    }
    Tell(kPoints);
}

std::optional<engine::Levels> PictureModel::PreviewLevels() const {
    if (!m_preview || m_busy || m_corrected || m_picture == nullptr || m_negativeTexts)
        return std::nullopt;
    return m_points.levels;
}

std::optional<engine::Negative> PictureModel::PreviewNegative() const {
    if (!m_preview || m_busy || m_corrected || m_picture == nullptr) return std::nullopt;
    return m_negative.negative;
}

}  // namespace tintwell::document
