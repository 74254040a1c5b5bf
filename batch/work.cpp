#include "batch/work.h"

#include <memory>
#include <new>
#include <system_error>

#include "document/bmp_reader.h"
#include "document/bmp_writer.h"
#include "document/byte_source.h"
#include "document/intake.h"
#include "document/reason.h"
#include "document/safe_file.h"
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

Outcome CantRead(const std::string& file, const document::Error& error) {
    if (error.problem == document::Problem::Changed)
        return Refused(file, "it changed while it was read; it is left as it is now");
    return Refused(file, std::string(document::kCantRead) + ": " + document::Reason(error));
}

Outcome Abandoned(const std::string& file) {
    return {Outcome::Kind::Abandoned, file + ": left as it was (interrupted)", 0, std::nullopt};
}

// A file taken in as a drop takes it: the name test, then the reader. The file stays open, so
// that whether it changed can be asked of the very file that was read.
struct Taken {
    std::unique_ptr<document::FileSource> source;
    engine::PixelBuffer picture;
};

document::Result<Taken> TakeIn(const std::string& file, document::FileSystem& system) {
    auto source = document::FileSource::Open(file, system);
    if (!source) return source.Failure();
    auto read = document::DecodeBmp(*source.Value());
    // A file rewritten during the read is refused as changed, whatever the reader made of it.
    if (!source.Value()->Unchanged()) return document::Fail(document::Problem::Changed);
    if (!read) return read.Failure();
    return Taken{std::move(source.Value()), std::move(read.Value())};
}

Outcome Correct(const std::string& file, const engine::Levels& levels, const Destination& to,
                const std::atomic<bool>& stop, document::FileSystem& system) {
    if (!document::HasBmpName(file)) return Refused(file, document::kNotBmp);
    auto taken = TakeIn(file, system);
    if (!taken) return CantRead(file, taken.Failure());
    engine::PixelBuffer& picture = taken.Value().picture;
    const document::FileSource& source = *taken.Value().source;
    bool cancel = false;
    StopOnRequest platform(stop, cancel);
    engine::BufferSurface surface(picture);
    if (engine::RunCorrectionPass(surface, levels, platform, cancel) ==
        engine::PassResult::Cancelled) {
        return Abandoned(file);
    }
    const std::string where = to.path.string();
    auto out = document::SafeFile::Create(to.path, system, to.inPlace ? &source.Stamp() : nullptr);
    if (!out) return Refused(file, document::CantSave(where, out.Failure()));
    if (auto ok = document::EncodeBmp(picture, out.Value()); !ok)
        return Refused(file, document::CantSave(where, ok.Failure()));
    if (stop.load()) return Abandoned(file);
    if (auto ok = out.Value().Commit([&] { return source.Unchanged(); }); !ok) {
        if (source.Unchanged()) return Refused(file, document::CantSave(where, ok.Failure()));
        return Refused(file, std::string("it changed while it was worked on; ") +
                                 (to.inPlace ? "it is left as it is now" : "nothing was written"));
    }
    return {Outcome::Kind::Done, "corrected " + file + (to.inPlace ? "" : " -> " + where),
            picture.PixelCount(), std::nullopt};
}

// Memory and threads may run out in any step: the file is refused, the others go on.
template <typename Work>
Outcome Guarded(const std::string& file, const Work& work) {
    try {
        return work();
    } catch (const std::bad_alloc&) {
    } catch (const std::system_error&) {
    }
    return Refused(file, "not enough memory; it is left as it was");
}

}  // namespace

Outcome CorrectFile(const std::string& file, const engine::Levels& levels, const Destination& to,
                    const std::atomic<bool>& stop, document::FileSystem& system) {
    return Guarded(file, [&] { return Correct(file, levels, to, stop, system); });
}

Outcome CountFile(const std::string& file, double margin) {
    return Guarded(file, [&] {
        if (!document::HasBmpName(file)) return Refused(file, document::kNotBmp);
        auto taken = TakeIn(file, document::RealFileSystem());
        if (!taken) return CantRead(file, taken.Failure());
        const engine::PixelBuffer& picture = taken.Value().picture;
        return Outcome{Outcome::Kind::Done, "", picture.PixelCount(),
                       engine::CountHistograms(picture, margin)};
    });
}

}  // namespace tintwell::batch
