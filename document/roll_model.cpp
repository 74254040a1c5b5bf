#include "document/roll_model.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "document/codec.h"
#include "document/intake.h"
#include "document/limits.h"
#include "document/reason.h"
#include "engine/thumbnail.h"

namespace tintwell::document {
namespace {

namespace fs = std::filesystem;

constexpr int kThumbnail = 160;

bool IsPictureFile(const fs::directory_entry& e) {
    std::error_code ec;
    return e.is_regular_file(ec) && CodecForName(e.path().string()) != nullptr;
}

}  // namespace

// What reading a frame gave, handed from the worker to the user interface's thread.
struct RollModel::Read {
    std::string why;  // empty: read
    int width = 0, height = 0, bits = 0;
    std::shared_ptr<const engine::PixelBuffer> thumbnail, whole;
    std::shared_ptr<const engine::Histograms> counted;
    std::optional<engine::Points> suggested;
};

std::vector<std::string> RollFiles(const std::vector<std::string>& paths) {
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        std::error_code ec;
        if (!fs::is_directory(path, ec)) {
            files.push_back(path);
            continue;
        }
        for (const auto& e : fs::directory_iterator(path, ec)) {
            if (IsPictureFile(e)) files.push_back(e.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}

RollModel::RollModel(Worker& worker) : m_worker(worker) {
    m_states.push_back({{"10", "45", "80"}, {"75", "180", "210"}, {}, false});
    Apply(0);
}

RollModel::~RollModel() {
    m_stop = true;
}

void RollModel::Listen(Listener listener) {
    m_listeners.push_back(std::move(listener));
}

void RollModel::Tell(unsigned changes) const {
    for (const Listener& listener : m_listeners) listener(changes);
}

void RollModel::Add(const std::vector<std::string>& paths) {
    const std::size_t before = m_frames.size();
    for (const std::string& file : RollFiles(paths)) {
        const bool known = std::any_of(m_frames.begin(), m_frames.end(),
                                       [&](const Frame& f) { return f.path == file; });
        if (!known) m_frames.push_back(Frame{file});
    }
    // While the roll is read, each read takes the memory the last gave back (fresh memory costs
    // more to touch than a file to read); once it is read, nothing more is kept.
    if (m_frames.size() > before)
        engine::KeepFreedBuffers(std::max(1u, std::thread::hardware_concurrency()));
    for (std::size_t i = before; i < m_frames.size(); ++i)
        StartReading(i, !m_shown && i == before, false);
    if (!m_shown && m_frames.size() > before) m_shown = before;
    Tell(kFrames | kShown);
}

fs::path RollModel::Folder() const {
    if (m_frames.empty()) return {};
    const fs::path folder = fs::path(m_frames.front().path).parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// Read off the user interface's thread: the whole frame where it is to be shown, and always
// its thumbnail and its suggestion, so that the roll's is at hand once every frame is read.
void RollModel::StartReading(std::size_t index, bool whole, bool urgent) {
    const std::string path = m_frames[index].path;
    m_worker.Start(
        [this, index, path, whole] {
            auto read = std::make_shared<Read>();
            Guarded(
                [&] {
                    auto taken = TakeIn(path, Names::Pictures);
                    if (!taken) {
                        read->why = CantTakeIn(taken.Failure(), Framing::Roll);
                    } else {
                        auto picture = std::make_shared<engine::PixelBuffer>(
                            std::move(taken.Value().picture.pixels));
                        read->width = picture->Width();
                        read->height = picture->Height();
                        read->bits = picture->IsScreenLayout() ? 8 : picture->GetLayout().bits;
                        read->thumbnail = std::make_shared<const engine::PixelBuffer>(
                            engine::Thumbnail(*picture, kThumbnail));
                        read->counted = std::make_shared<const engine::Histograms>(
                            engine::CountHistograms(*picture));
                        read->suggested = engine::SuggestPoints(*read->counted);
                        if (whole) read->whole = std::move(picture);
                    }
                },
                [&] { read->why = Reason(Fail(Problem::NoMemory)); });
            m_worker.Post([this, index, read] { FrameRead(index, read); });
        },
        urgent);
}

void RollModel::FrameRead(std::size_t index, std::shared_ptr<Read> read) {
    Frame& f = m_frames[index];
    if (f.state == Frame::State::Reading) {
        f.state = read->why.empty() ? Frame::State::Ready : Frame::State::Refused;
        f.why = read->why;
    }
    if (read->why.empty()) {
        f.width = read->width, f.height = read->height, f.bits = read->bits;
        f.thumbnail = read->thumbnail;
        f.suggested = read->suggested;
    }
    if (std::none_of(m_frames.begin(), m_frames.end(),
                     [](const Frame& r) { return r.state == Frame::State::Reading; }))
        engine::KeepFreedBuffers(0);
    unsigned changes = kFrames;
    if (m_shown == index && (read->whole || !read->why.empty()) && !m_picture) {
        m_picture = read->whole;
        m_view.SetPicture(m_picture.get(), true, read->counted);
        changes |= kShown;
    }
    Tell(changes);
}

// The frame shown until now goes at once, so that browsing holds one frame, not two; the
// region stays for the next one.
void RollModel::Show(std::size_t index) {
    if (index >= m_frames.size() || m_shown == index) return;
    m_shown = index;
    m_view.SetPicture(nullptr, true);
    m_picture.reset();
    if (m_frames[index].state != Frame::State::Refused) StartReading(index, true, true);
    Tell(kShown);
}

void RollModel::Apply(std::size_t state) {
    m_history = state;
    const RollSettings& now = m_states[state];
    m_view.SetTexts(now.blacks, now.whites);
    m_view.SetNegative(now.isNegative ? std::optional(now.negative) : std::nullopt);
    Tell(kHistory);
}

// Typing that goes on replaces the change it goes on from; anything else is a change of its own.
void RollModel::Change(RollSettings next, bool typing) {
    if (m_states[m_history] == next) return;
    const bool goesOn = typing && m_typing && m_history > 0 && m_history + 1 == m_states.size();
    m_typing = typing;
    m_states.resize(m_history + (goesOn ? 0 : 1));
    m_states.push_back(std::move(next));
    Apply(m_states.size() - 1);
}

void RollModel::SetPoints(const engine::PerChannel<std::string>& blacks,
                          const engine::PerChannel<std::string>& whites, bool typing) {
    RollSettings next = Settings();
    next.blacks = blacks;
    next.whites = whites;
    Change(std::move(next), typing);
}

void RollModel::SetNegative(const NegativeTexts& negative, bool typing) {
    RollSettings next = Settings();
    next.negative = negative;
    Change(std::move(next), typing);
}

void RollModel::SetNegativeMode(bool on) {
    RollSettings next = Settings();
    next.isNegative = on;
    Change(std::move(next), false);
}

void RollModel::StartFrom(const RollSettings& settings) {
    m_states = {settings};
    m_typing = false;
    Apply(0);
}

void RollModel::Undo() {
    m_typing = false;
    if (CanUndo()) Apply(m_history - 1);
}

void RollModel::Redo() {
    m_typing = false;
    if (CanRedo()) Apply(m_history + 1);
}

std::optional<engine::Points> RollModel::RollSuggestion() const {
    std::vector<engine::Points> points;
    for (const Frame& f : m_frames) {
        if (f.suggested) points.push_back(*f.suggested);
    }
    if (points.empty()) return std::nullopt;
    return engine::RollPoints(points);
}

bool RollModel::Correct(const fs::path& folder, bool inPlace) {
    const auto& levels = m_view.Points().levels;
    const auto& negative = m_view.Negative().negative;
    if ((Settings().isNegative ? !negative : !levels) || m_progress.running) return false;
    RollJob job;
    job.mode = RollJob::Mode::Correct;
    if (levels) job.levels = *levels;
    if (Settings().isNegative) job.negative = negative;
    job.inPlace = inPlace;
    job.folder = folder;
    m_suggesting = false;
    Run(std::move(job));
    return true;
}

bool RollModel::SuggestNegativeRoll(double lowClip, double highClip, double margin) {
    const auto counting = CountingNegative(Settings().negative);
    if (!Settings().isNegative || !counting || m_progress.running) return false;
    RollJob job;
    job.mode = RollJob::Mode::Suggest;
    job.negative = counting;
    job.margin = margin;
    job.lowClip = lowClip;
    job.highClip = highClip;
    m_suggesting = true;
    m_densities.clear();
    m_clip = {lowClip, highClip};
    Run(std::move(job));
    return true;
}

// The job over every frame not refused, on the worker; what it reports comes back here.
void RollModel::Run(RollJob job) {
    job.jobs = std::max(1u, std::thread::hardware_concurrency());
    m_correcting.clear();
    for (std::size_t i = 0; i < m_frames.size(); ++i) {
        if (m_frames[i].state == Frame::State::Refused) continue;
        m_correcting.push_back(i);
        job.files.push_back(m_frames[i].path);
        if (!m_suggesting) m_frames[i].state = Frame::State::Correcting;
    }
    m_stop = false;
    m_refusal.clear();
    m_progress = {0, job.files.size(), 0, 0, true, m_suggesting, {}};
    m_started = std::chrono::steady_clock::now();
    Tell(kFrames | kCorrecting);
    m_worker.Start([this, job = std::move(job)] {
        const auto result = RunRollJob(
            job, m_stop,
            [this](std::size_t i, const Outcome& o) {
                m_worker.Post([this, i, o] { Reported(i, o); });
            },
            [this](std::size_t done, std::uint64_t pixels) {
                m_worker.Post([this, done, pixels] {
                    m_progress.done = std::max(m_progress.done, done);
                    m_progress.pixels = std::max(m_progress.pixels, pixels);
                    m_progress.seconds =
                        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started)
                            .count();
                    Tell(kCorrecting);
                });
            });
        m_worker.Post([this, result, job] {
            if (m_suggesting) return Suggested();
            Ended(result, job.inPlace, job.folder);
        });
    });
}

void RollModel::Reported(std::size_t index, const Outcome& outcome) {
    Frame& f = m_frames[m_correcting[index]];
    if (m_suggesting) {
        if (outcome.densities)
            m_densities.push_back(
                engine::SuggestDensities(*outcome.densities, m_clip.first, m_clip.second));
        m_progress.done = std::max(m_progress.done, index + 1);
        return Tell(kCorrecting);
    }
    m_progress.pixels += outcome.kind == Outcome::Kind::Done ? outcome.pixels : 0;
    f.state =
        outcome.kind == Outcome::Kind::Done ? Frame::State::Corrected : Frame::State::NotCorrected;
    // The line names the file first; the frame's item names it already.
    const std::string prefix = f.path + ": ";
    f.why = outcome.line.rfind(prefix, 0) == 0 ? outcome.line.substr(prefix.size()) : outcome.line;
    m_progress.done = std::max(m_progress.done, index + 1);
    m_progress.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started).count();
    Tell(kFrames | kCorrecting);
}

void RollModel::Ended(const std::variant<RollTally, RollRefusal>& result, bool inPlace,
                      const fs::path& folder) {
    m_progress.running = false;
    m_progress.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started).count();
    for (const std::size_t i : m_correcting) {
        if (m_frames[i].state == Frame::State::Correcting) m_frames[i].state = Frame::State::Ready;
    }
    if (const auto* refused = std::get_if<RollRefusal>(&result)) {
        m_refusal = RollRefused(*refused, RollJob::Mode::Correct, Framing::Roll);
        m_progress.summary = m_refusal;
    } else {
        const RollTally& t = std::get<RollTally>(result);
        m_progress.pixels = t.pixels;
        const std::string where = inPlace ? "in place" : "into " + folder.string();
        m_progress.summary = std::to_string(t.done) + " of " + std::to_string(m_correcting.size()) +
                             " files corrected " + where;
        if (m_stop)
            m_progress.summary =
                "Cancelled: " + m_progress.summary + "; the others are as they were";
    }
    Tell(kFrames | kCorrecting);
}

std::string DensityText(double density, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, density);
    return text;
}

void RollModel::Suggested() {
    m_progress.running = false;
    m_suggesting = false;
    m_progress.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started).count();
    if (m_stop || m_densities.empty()) {
        m_progress.summary = m_stop ? "Cancelled: the fields are as they were"
                                    : "No frame could be counted for the roll's suggestion";
        return Tell(kCorrecting);
    }
    const engine::Densities roll = engine::RollDensities(m_densities);
    NegativeTexts texts = Settings().negative;
    for (int c = 0; c < engine::kChannels; ++c) {
        texts.shadows[c] = DensityText(roll.shadow[c], 3);
        texts.highlights[c] = DensityText(roll.highlight[c], 3);
    }
    m_progress.summary = "The roll's shadows and highlights: the medians of " +
                         std::to_string(m_densities.size()) + " frames";
    SetNegative(texts);
    Tell(kCorrecting);
}

}  // namespace tintwell::document
