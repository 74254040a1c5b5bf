#include "batch/work.h"

#include "document/bmp_reader.h"
#include "document/bmp_writer.h"
#include "document/intake.h"
#include "engine/correction_pass.h"

namespace tintwell::batch {
namespace {

// The pass yields after every row; here the yield is where an interruption is noticed.
class StopOnRequest : public platform::Platform {
public:
    StopOnRequest(const std::atomic<bool>& stop, bool& cancel) : m_stop(stop), m_cancel(cancel) {}
    platform::Answer MsgBox(const std::string&, platform::MsgStyle, const std::string&) override {
        return platform::Answer::Ok;
    }
    void Beep() override {}
    void DoEvents() override {
        if (m_stop.load(std::memory_order_relaxed)) m_cancel = true;
    }
    void SetMousePointer(platform::Pointer) override {}
    void End() override {}

private:
    const std::atomic<bool>& m_stop;
    bool& m_cancel;
};

Outcome Refused(const std::string& file, const std::string& why) {
    return {Outcome::Kind::Refused, file + ": " + why, 0, std::nullopt};
}

// The intake of a drop: the name test, then the reader.
std::optional<Outcome> TakeIn(const std::string& file, engine::PixelBuffer& picture) {
    if (!document::HasBmpName(file)) return Refused(file, document::kNotBmp);
    auto read = document::ReadBmp(file);
    if (!read)
        return Refused(file, std::string(document::kCantRead) + ": " + read.Failure().reason);
    picture = std::move(read.Value());
    return std::nullopt;
}

}  // namespace

Outcome CorrectFile(const std::string& file, const engine::Levels& levels,
                    const std::filesystem::path& destination, const std::atomic<bool>& stop) {
    engine::PixelBuffer picture;
    if (auto refused = TakeIn(file, picture)) return *refused;
    bool cancel = false;
    StopOnRequest platform(stop, cancel);
    engine::BufferSurface surface(picture);
    if (engine::RunCorrectionPass(surface, levels, platform, cancel) ==
        engine::PassResult::Cancelled) {
        return {Outcome::Kind::Abandoned, file + ": left as it was (interrupted)", 0, std::nullopt};
    }
    const document::Status saved = document::WriteBmp(picture, destination);
    if (!saved)
        return Refused(file, document::CantSave(destination.string(), saved.Failure().reason));
    const std::string where = destination == file ? "" : " -> " + destination.string();
    return {Outcome::Kind::Done, "corrected " + file + where, picture.PixelCount(), std::nullopt};
}

Outcome CountFile(const std::string& file, double margin) {
    engine::PixelBuffer picture;
    if (auto refused = TakeIn(file, picture)) return *refused;
    return {Outcome::Kind::Done, "", picture.PixelCount(),
            engine::CountHistograms(picture, margin)};
}

}  // namespace tintwell::batch
