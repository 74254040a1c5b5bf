#include "batch/work.h"

#include <memory>
#include <new>
#include <system_error>

#include "document/codec.h"
#include "document/intake.h"
#include "document/reason.h"
#include "document/safe_file.h"
#include "engine/correction_pass.h"

namespace tintwell::batch {
namespace {

namespace doc = document;

Outcome Refused(const std::string& file, const std::string& why) {
    return {Outcome::Kind::Refused, file + ": " + why, 0, std::nullopt};
}

Outcome CantTakeIn(const std::string& file, const doc::Error& error) {
    if (error.problem == doc::Problem::WrongName) return Refused(file, kNotAPicture);
    if (error.problem == doc::Problem::Changed)
        return Refused(file, "it changed while it was read; it is left as it is now");
    return Refused(file, std::string(doc::kCantRead) + ": " + doc::Reason(error));
}

Outcome Abandoned(const std::string& file) {
    return {Outcome::Kind::Abandoned, file + ": left as it was (interrupted)", 0, std::nullopt};
}

// A grey picture has one channel: it is corrected only where the three channels' points agree.
bool GreyAgrees(const engine::Levels& levels) {
    return levels.black[1] == levels.black[0] && levels.black[2] == levels.black[0] &&
           levels.factor[1] == levels.factor[0] && levels.factor[2] == levels.factor[0];
}

// Writes the picture to the destination with the codec given, and puts it in place if the
// file it came from is still as it was read; `done` says what became of it.
Outcome Save(const std::string& file, const doc::Intake& taken, const doc::Codec& codec,
             const Destination& to, const std::atomic<bool>& stop, doc::FileSystem& system,
             const char* done = "corrected") {
    const std::string where = to.path.string();
    doc::Expect expect;
    if (to.inPlace) expect.file = &taken.source->Stamp();
    if (to.proxy) {
        expect.noLink = true;
        expect.file = to.proxyReplaced ? &*to.proxyReplaced : nullptr;
        expect.nothing = !to.proxyReplaced;
    }
    auto out = doc::SafeFile::Create(to.path, system, expect);
    if (!out) return Refused(file, doc::CantSave(where, out.Failure()));
    out.Value().StopWhen(stop);
    if (auto ok = codec.Write(taken.picture, out.Value()); !ok) {
        if (stop.load()) return Abandoned(file);
        return Refused(file, doc::CantSave(where, ok.Failure()));
    }
    if (stop.load()) return Abandoned(file);
    if (auto ok = out.Value().Commit([&] { return taken.source->Unchanged(); }); !ok) {
        if (taken.source->Unchanged()) return Refused(file, doc::CantSave(where, ok.Failure()));
        return Refused(file, std::string("it changed while it was worked on; ") +
                                 (to.inPlace ? "it is left as it is now" : "nothing was written"));
    }
    const std::string arrow = to.inPlace ? "" : " -> " + where;
    return {Outcome::Kind::Done, std::string(done) + " " + file + arrow,
            taken.picture.pixels.PixelCount(), std::nullopt};
}

Outcome Correct(const std::string& file, const engine::Levels& levels, const Destination& to,
                const std::atomic<bool>& stop, doc::FileSystem& system) {
    auto taken = doc::TakeIn(file, doc::Names::Pictures, system);
    if (!taken) return CantTakeIn(file, taken.Failure());
    engine::PixelBuffer& pixels = taken.Value().picture.pixels;
    if (pixels.GetLayout().IsGrey() && !GreyAgrees(levels)) {
        return Refused(file,
                       "it is a grey picture, and the points of red, green and blue differ; give "
                       "the three channels the same points");
    }
    const auto afterRow = [&](int) { return !stop.load(std::memory_order_relaxed); };
    if (engine::RunCorrectionPass(pixels, levels, afterRow) == engine::PassResult::Cancelled)
        return Abandoned(file);
    const doc::Codec& codec = *doc::CodecForName(file);
    return Save(file, taken.Value(), codec, to, stop, system);
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
                    const std::atomic<bool>& stop, doc::FileSystem& system) {
    return Guarded(file, [&] { return Correct(file, levels, to, stop, system); });
}

Outcome MakeProxy(const std::string& file, const Destination& to, const std::atomic<bool>& stop,
                  doc::FileSystem& system) {
    return Guarded(file, [&] {
        auto taken = doc::TakeIn(file, doc::Names::Pictures, system);
        if (!taken) return CantTakeIn(file, taken.Failure());
        return Save(file, taken.Value(), doc::ProxyCodec(), to, stop, system, "made a proxy of");
    });
}

Outcome CountFile(const std::string& file, double margin) {
    return Guarded(file, [&] {
        auto taken = doc::TakeIn(file, doc::Names::Pictures);
        if (!taken) return CantTakeIn(file, taken.Failure());
        const engine::PixelBuffer& pixels = taken.Value().picture.pixels;
        return Outcome{Outcome::Kind::Done, "", pixels.PixelCount(),
                       engine::CountHistograms(pixels, margin)};
    });
}

}  // namespace tintwell::batch
