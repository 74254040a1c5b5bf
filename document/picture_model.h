#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/histogram.h"
#include "engine/levels.h"
#include "engine/negative.h"
#include "engine/pixel_buffer.h"
#include "engine/points.h"

namespace tintwell::document {

// How point texts are read: as the main window's fields have always been read (leniently, with
// Val), or as the roll's, strictly.
enum class Reading { Lenient, Strict };

// What six point texts settle to: the levels, or why they cannot be used.
struct SettledPoints {
    std::optional<engine::Levels> levels;
    engine::FactorsResult lenient;                // as the main window settles them
    std::optional<engine::PointsProblem> strict;  // why, read strictly, they cannot be used
};

// A negative's settings as the roll window's fields hold them: the film base, the shadow and
// highlight densities, the contrast, and whether it is black and white.
struct NegativeTexts {
    engine::PerChannel<std::string> bases{"65535", "65535", "65535"};
    engine::PerChannel<std::string> shadows{"0", "0", "0"}, highlights{"2", "2", "2"};
    std::string contrast = "2";
    bool mono = false;
    bool operator==(const NegativeTexts&) const = default;
};

// What they settle to, read strictly: the negative, or why it cannot be used.
struct SettledNegative {
    std::optional<engine::Negative> negative;
    std::optional<engine::NegativeProblem> problem;
};

// The negative densities are counted by: the film base and black and white of the texts, where
// the film base can be used, whatever the densities say.
std::optional<engine::Negative> CountingNegative(const NegativeTexts& texts);

// The state a window shows its picture by, which its views observe: the picture, the six point
// texts and what they settle to (settled once per change), the preview and the clipping warning,
// the region marked on the picture, and whether a pass or a correction is under way. A change
// is told once to every listener, with what changed.
class PictureModel {
public:
    enum Change : unsigned {
        kPicture = 1,  // another picture, or the same one's pixels changed
        kPoints = 2,
        kLook = 4,  // preview or clipping switched
        kRegion = 8,
        kBusy = 16,  // a pass started or ended, or the picture now holds a correction
    };
    using Listener = std::function<void(unsigned changes)>;

    explicit PictureModel(Reading reading);

    void Listen(Listener listener);

    // The picture shown, which the model does not own; a region is cut to it, or cleared. A
    // region kept over no picture (the next is being read) is kept as it is. `counted`: its
    // histograms less the usual border, where they were counted as it was read.
    void SetPicture(const engine::PixelBuffer* picture, bool keepRegion,
                    std::shared_ptr<const engine::Histograms> counted = nullptr);
    // The same picture's pixels have changed (a pass has written them).
    void PixelsChanged();
    const engine::PixelBuffer* Picture() const { return m_picture; }
    const engine::Histograms* Counted() const { return m_counted.get(); }

    void SetTexts(const engine::PerChannel<std::string>& blacks,
                  const engine::PerChannel<std::string>& whites);
    const engine::PerChannel<std::string>& Blacks() const { return m_blacks; }
    const engine::PerChannel<std::string>& Whites() const { return m_whites; }
    const SettledPoints& Points() const { return m_points; }

    // The picture is a negative, made a positive by these settings; none: levels, as ever.
    void SetNegative(const std::optional<NegativeTexts>& texts);
    const std::optional<NegativeTexts>& NegativeSettings() const { return m_negativeTexts; }
    const SettledNegative& Negative() const { return m_negative; }

    void SetPreview(bool on);
    void SetClipping(bool on);
    bool Preview() const { return m_preview; }
    bool Clipping() const { return m_clipping; }

    void SetRegion(std::optional<engine::Region> region);
    const std::optional<engine::Region>& Region() const { return m_region; }

    // A pass or a correction is under way: nothing is counted or previewed meanwhile.
    void SetBusy(bool busy);
    bool Busy() const { return m_busy; }
    // The picture holds a correction already: a preview has nothing to show.
    void SetCorrected(bool corrected);
    bool Corrected() const { return m_corrected; }
    // Cancel asked of a running pass; cleared when a pass starts.
    void AskCancel() { m_cancelAsked = true; }
    bool CancelAsked() const { return m_cancelAsked; }

    // The levels the preview shows, if it shows: on, nothing under way, the picture as its file
    // has it, and points that can be used.
    std::optional<engine::Levels> PreviewLevels() const;
    // The same for a negative: the settings the preview shows the positive by.
    std::optional<engine::Negative> PreviewNegative() const;

private:
    void Tell(unsigned changes) const;

    Reading m_reading;
    std::vector<Listener> m_listeners;
    const engine::PixelBuffer* m_picture = nullptr;
    std::shared_ptr<const engine::Histograms> m_counted;
    engine::PerChannel<std::string> m_blacks, m_whites;
    SettledPoints m_points;
    std::optional<NegativeTexts> m_negativeTexts;
    SettledNegative m_negative;
    bool m_preview = false, m_clipping = false, m_busy = false, m_corrected = false;
    bool m_cancelAsked = false;
    std::optional<engine::Region> m_region;
};

}  // namespace tintwell::document
