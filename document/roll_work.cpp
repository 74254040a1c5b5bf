#include "document/roll_work.h"

#include <memory>

#include "document/codec.h"
#include "document/intake.h"
#include "document/limits.h"
#include "document/profiles.h"
#include "document/reason.h"
#include "document/safe_file.h"
#include "engine/correction_pass.h"

namespace tintwell::document {
namespace {

Outcome Refused(const std::string& file, const std::string& why) {
    return {Outcome::Kind::Refused, file + ": " + why};
}

Outcome NotTaken(const std::string& file, const Error& error) {
    return Refused(file, CantTakeIn(error, Framing::Roll));
}

Outcome Abandoned(const std::string& file) {
    return {Outcome::Kind::Abandoned, file + ": left as it was (interrupted)"};
}

// A grey picture has one channel: it is corrected only where the three channels' points agree.
bool GreyAgrees(const engine::Levels& levels) {
    return levels.black[1] == levels.black[0] && levels.black[2] == levels.black[0] &&
           levels.factor[1] == levels.factor[0] && levels.factor[2] == levels.factor[0];
}

// Writes the picture to the destination with the codec given, and puts it in place if the
// file it came from is still as it was read; `done` says what became of it.
Outcome Save(const std::string& file, const Intake& taken, const Codec& codec,
             const Destination& to, const std::atomic<bool>& stop, FileSystem& system,
             const char* done = "corrected") {
    const std::string where = to.path.string();
    Expect expect;
    if (to.inPlace) expect.file = &taken.source->Stamp();
    if (to.proxy) {
        expect.noLink = true;
        expect.file = to.proxyReplaced ? &*to.proxyReplaced : nullptr;
        expect.nothing = !to.proxyReplaced;
    }
    auto out = SafeFile::Create(to.path, system, expect);
    if (!out) return Refused(file, CantSave(where, out.Failure()));
    out.Value().StopWhen(stop);
    if (auto ok = codec.Write(taken.picture, out.Value()); !ok) {
        if (stop.load()) return Abandoned(file);
        return Refused(file, CantSave(where, ok.Failure()));
    }
    if (stop.load()) return Abandoned(file);
    if (auto ok = out.Value().Commit([&] { return taken.source->Unchanged(); }); !ok) {
        if (taken.source->Unchanged()) return Refused(file, CantSave(where, ok.Failure()));
        return Refused(file, ChangedMeanwhile(to.inPlace));
    }
    const std::string arrow = to.inPlace ? "" : " -> " + where;
    return {Outcome::Kind::Done, std::string(done) + " " + file + arrow,
            taken.picture.pixels.PixelCount()};
}

// The positive goes in the format its destination's name asks for (a raw file's is a TIFF),
// described by the profile of its own colour space.
Outcome Invert(const std::string& file, Intake& taken, const engine::Negative& negative,
               const Destination& to, const std::atomic<bool>& stop, FileSystem& system) {
    Picture& picture = taken.picture;
    const engine::NegativeRule rule(negative, picture.pixels.GetLayout());
    const auto afterRow = [&](int) { return !stop.load(std::memory_order_relaxed); };
    const auto ran = engine::RunNegativePass(picture.pixels, rule, afterRow);
    if (!ran) return Refused(file, Reason(Fail(Problem::NoMemory)) + "; it is left as it was");
    if (*ran == engine::PassResult::Cancelled) return Abandoned(file);
    const Codec& codec = *CodecForName(to.path.string());
    picture.keepsake =
        codec.AsPositive(picture, rule.Out().IsGrey() ? GreyProfile() : SrgbProfile());
    return Save(file, taken, codec, to, stop, system);
}

Outcome Correct(const std::string& file, const Correction& correction, const Destination& to,
                const std::atomic<bool>& stop, FileSystem& system) {
    auto taken = TakeIn(file, Names::Pictures, system);
    if (!taken) return NotTaken(file, taken.Failure());
    if (const auto* negative = std::get_if<engine::Negative>(&correction))
        return Invert(file, taken.Value(), *negative, to, stop, system);
    const engine::Levels& levels = std::get<engine::Levels>(correction);
    engine::PixelBuffer& pixels = taken.Value().picture.pixels;
    if (pixels.GetLayout().IsGrey() && !GreyAgrees(levels)) {
        return Refused(file,
                       "it is a grey picture, and the points of red, green and blue differ; give "
                       "the three channels the same points");
    }
    const auto afterRow = [&](int) { return !stop.load(std::memory_order_relaxed); };
    if (engine::RunCorrectionPass(pixels, levels, afterRow) == engine::PassResult::Cancelled)
        return Abandoned(file);
    const Codec& codec = *CodecForName(to.path.string());
    return Save(file, taken.Value(), codec, to, stop, system);
}

// Memory and threads may run out in any step: the file is refused, the others go on.
template <typename Work>
Outcome Guarded(const std::string& file, const Work& work) {
    return document::Guarded(work, [&] {
        return Refused(file, Reason(Fail(Problem::NoMemory)) + "; it is left as it was");
    });
}

}  // namespace

Outcome CorrectFile(const std::string& file, const Correction& correction, const Destination& to,
                    const std::atomic<bool>& stop, FileSystem& system) {
    return Guarded(file, [&] { return Correct(file, correction, to, stop, system); });
}

Outcome MakeProxy(const std::string& file, const Destination& to, const std::atomic<bool>& stop,
                  FileSystem& system) {
    return Guarded(file, [&] {
        auto taken = TakeIn(file, Names::Pictures, system);
        if (!taken) return NotTaken(file, taken.Failure());
        return Save(file, taken.Value(), ProxyCodec(), to, stop, system, "made a proxy of");
    });
}

Outcome CountFile(const std::string& file, double margin,
                  const std::optional<engine::Negative>& negative) {
    return Guarded(file, [&] {
        auto taken = TakeIn(file, Names::Pictures);
        if (!taken) return NotTaken(file, taken.Failure());
        const engine::PixelBuffer& pixels = taken.Value().picture.pixels;
        if (negative) {
            const engine::Region inside =
                engine::CountedRegion(pixels.Width(), pixels.Height(), margin);
            return Outcome{Outcome::Kind::Done, "", pixels.PixelCount(), std::nullopt,
                           engine::CountDensities(pixels, inside, *negative)};
        }
        return Outcome{Outcome::Kind::Done, "", pixels.PixelCount(),
                       engine::CountHistograms(pixels, margin)};
    });
}

}  // namespace tintwell::document
