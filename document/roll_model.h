#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/picture_model.h"
#include "document/roll_runner.h"
#include "document/worker.h"
#include "engine/histogram.h"
#include "engine/pixel_buffer.h"

namespace tintwell::document {

// One file of a roll, as far as the roll window knows it.
struct Frame {
    enum class State { Reading, Ready, Refused, Correcting, Corrected, NotCorrected };
    std::string path;
    State state = State::Reading;
    std::string why{};  // why it was refused, or not corrected
    int width = 0, height = 0, bits = 0;
    std::shared_ptr<const engine::PixelBuffer> thumbnail{};  // in the screen's layout
    std::optional<engine::Points> suggested{};  // its own suggestion, as tintwell-batch's
};

// The files a roll is opened on: each file named, and the picture files directly in each folder
// named; all of them in name order, each once.
std::vector<std::string> RollFiles(const std::vector<std::string>& paths);

// Everything the roll is corrected by: its points, and its negative's settings with whether it is
// a roll of negatives.
struct RollSettings {
    engine::PerChannel<std::string> blacks, whites;
    NegativeTexts negative{};
    bool isNegative = false;
    bool operator==(const RollSettings&) const = default;
};

// A density as a field holds it: to the thousandth (a suggestion's step) or the hundredth.
std::string DensityText(double density, int decimals);

// A roll as the roll window works on it: its frames, the one shown (read whole, at its own
// depth) with the model its views observe, one set of points for all of them with the changes
// that can be undone, and the correction of the roll into a folder. Reading, thumbnails and
// correcting run on the worker; their results come back through it, and listeners hear of them.
class RollModel {
public:
    enum Change : unsigned {
        kFrames = 1,     // a frame was added, read, refused or corrected
        kShown = 2,      // another frame is shown, or is being read
        kHistory = 4,    // what can be undone or redone
        kCorrecting = 8  // a correction (or the roll's suggestion) started, went on or ended
    };
    using Listener = std::function<void(unsigned changes)>;

    struct Progress {
        std::size_t done = 0, files = 0;
        std::uint64_t pixels = 0;
        double seconds = 0;
        bool running = false;
        bool counting = false;  // for the roll's suggestion, not correcting
        std::string summary;    // when it has ended: how many were corrected, and where
    };

    explicit RollModel(Worker& worker);
    ~RollModel();

    void Listen(Listener listener);

    // Adds the files (folders by their picture files); the first frame is shown when the roll
    // had none.
    void Add(const std::vector<std::string>& paths);
    const std::vector<Frame>& Frames() const { return m_frames; }
    // The folder of the roll's first file; empty while it has none.
    std::filesystem::path Folder() const;

    // Shows frame `index`: at once where it is read already, else once it is.
    void Show(std::size_t index);
    std::optional<std::size_t> Shown() const { return m_shown; }
    bool ShownIsRead() const { return m_picture != nullptr; }
    PictureModel& View() { return m_view; }
    const PictureModel& View() const { return m_view; }

    // The points, as one change: an edit, a pick or a suggestion; Undo and Redo step through
    // them. What is typed into the fields, until the typing ends, is one change.
    void SetPoints(const engine::PerChannel<std::string>& blacks,
                   const engine::PerChannel<std::string>& whites, bool typing = false);
    void TypingEnded() { m_typing = false; }
    // The negative's settings, as one change like the points; and the roll's mode.
    void SetNegative(const NegativeTexts& negative, bool typing = false);
    void SetNegativeMode(bool on);
    const RollSettings& Settings() const { return m_states[m_history]; }
    // Settings to start from (remembered for the roll's folder), with nothing to undo.
    void StartFrom(const RollSettings& settings);
    bool CanUndo() const { return m_history > 0; }
    bool CanRedo() const { return m_history + 1 < m_states.size(); }
    void Undo();
    void Redo();

    // The roll's points from every frame read: the median of their suggestions.
    std::optional<engine::Points> RollSuggestion() const;
    // For a roll of negatives: every frame's densities above the film base counted again, off
    // the user interface's thread, as tintwell-batch --suggest --negative counts them; the
    // median of their suggestions becomes the shadows and highlights, as one change. False
    // where the film base can't be used or work is under way.
    bool SuggestNegativeRoll(double lowClip, double highClip, double margin);

    // Corrects every frame not refused with the points, into `folder`, or over the originals;
    // false where the points can't be used or a correction is under way.
    bool Correct(const std::filesystem::path& folder, bool inPlace);
    void Cancel() { m_stop = true; }
    const Progress& Correcting() const { return m_progress; }
    // Why the last correction could not start, if it could not.
    const std::string& Refusal() const { return m_refusal; }

private:
    struct Read;
    void Tell(unsigned changes) const;
    void StartReading(std::size_t index, bool whole, bool urgent);
    void FrameRead(std::size_t index, std::shared_ptr<Read> read);
    void Apply(std::size_t state);
    void Reported(std::size_t index, const Outcome& outcome);
    void Ended(const std::variant<RollTally, RollRefusal>& result, bool inPlace,
               const std::filesystem::path& folder);
    void Change(RollSettings next, bool typing);
    void Run(RollJob job);
    void Suggested();

    Worker& m_worker;
    std::vector<Listener> m_listeners;
    std::vector<Frame> m_frames;
    std::optional<std::size_t> m_shown;
    std::shared_ptr<const engine::PixelBuffer> m_picture;  // the shown frame, once read
    PictureModel m_view{Reading::Strict};
    std::vector<RollSettings> m_states;
    std::size_t m_history = 0;              // which of m_states the points are now
    bool m_typing = false;                  // the last change was typing that goes on
    std::vector<std::size_t> m_correcting;  // the frames of the running work, in order
    bool m_suggesting = false;              // the running work counts for the roll's suggestion
    std::vector<engine::Densities> m_densities;  // each frame's, as they come
    std::pair<double, double> m_clip{};          // the shares the suggestion clips
    std::atomic<bool> m_stop{false};
    Progress m_progress;
    std::chrono::steady_clock::time_point m_started;
    std::string m_refusal;
};

}  // namespace tintwell::document
