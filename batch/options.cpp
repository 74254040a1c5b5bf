#include "batch/options.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <sstream>
#include <variant>

#include "document/reason.h"
#include "engine/histogram.h"
#include "engine/points.h"
#include "version.h"

namespace tintwell::batch {
namespace {

constexpr const char* kName = "tintwell-batch";

// "R,G,B" into three texts.
bool SplitThree(const std::string& text, engine::PerChannel<std::string>& out) {
    std::size_t start = 0;
    for (int c = 0; c < engine::kChannels; ++c) {
        const std::size_t comma = text.find(',', start);
        if ((comma == std::string::npos) != (c == engine::kChannels - 1)) return false;
        out[c] = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        start = comma + 1;
    }
    return true;
}

// A plain decimal number in 0..most, nothing else: percentages are options, not fields.
bool ReadPercent(const std::string& text, double most, double& out) {
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, out);
    return error == std::errc() && at == end && out >= 0 && out <= most;
}

// The two shares must leave some pixels between them, or the points would say nothing of the
// picture.
bool ReadClip(const std::string& text, document::RollJob& o) {
    const std::size_t comma = text.find(',');
    const bool read = comma == std::string::npos
                          ? ReadPercent(text, 100, o.lowClip) && ReadPercent(text, 100, o.highClip)
                          : ReadPercent(text.substr(0, comma), 100, o.lowClip) &&
                                ReadPercent(text.substr(comma + 1), 100, o.highClip);
    return read && o.lowClip + o.highClip < 100;
}

Parsed Usage(const std::string& what) {
    return {std::nullopt, kUsageError, "",
            std::string(kName) + ": " + what + "\nRun with --help for more information.\n"};
}

struct Texts {
    std::string black, white, clip, margin, output, proxy;
    std::string filmBase, shadows, highlights, contrast;
    bool inPlace = false, suggest = false, negative = false, mono = false;
    unsigned jobs = 0;
    bool AnyNegative() const {
        return negative || mono || !filmBase.empty() || !shadows.empty() || !highlights.empty() ||
               !contrast.empty();
    }
};

void DescribeNegative(CLI::App& app, Texts& t) {
    app.add_flag("--negative", t.negative,
                 "The files are negatives, linear (a scanner's raw output, or a camera raw "
                 "file): invert them into positives in sRGB, by the film base and densities");
    app.add_option("--film-base", t.filmBase,
                   "Levels of the unexposed film (the rebate) in red, green and blue, on the "
                   "16-bit scale: plain numbers from 1 to 65535")
        ->type_name("R,G,B");
    app.add_option("--shadows", t.shadows,
                   "Densities above the film base that become black: plain numbers from 0 to 4")
        ->type_name("R,G,B");
    app.add_option("--highlights", t.highlights,
                   "Densities that become white: plain numbers up to 4, each above its shadow")
        ->type_name("R,G,B");
    app.add_option("--contrast", t.contrast, "The print curve's contrast, 0.5 to 4 (default 2)")
        ->type_name("K");
    app.add_flag("--mono", t.mono,
                 "A black-and-white negative scanned in colour: the mean of the three densities, "
                 "by red's shadow and highlight, written as a grey file");
}

void Describe(CLI::App& app, Texts& t, document::RollJob& o) {
    app.description(
        "Corrects a whole roll of scanned negatives (BMP, and 8- or 16-bit TIFF and PNG, each "
        "kept in its own kind) with one set of black and white points, as the Tintwell window "
        "does one picture; or, with --negative, turns linear scans and camera raw files of "
        "negatives into positives; or suggests the points; or makes bitmap proxies to choose "
        "them by looking in the window.");
    app.footer(
        "A roll in two commands:\n"
        "  tintwell-batch --suggest roll/*.tif\n"
        "  tintwell-batch --black 11,40,78 --white 203,187,229 --output done roll/*.tif\n"
        "Negatives, the film base read on the rebate between frames:\n"
        "  tintwell-batch --suggest --negative --film-base 52000,31000,17500 roll/*.DNG\n"
        "  tintwell-batch --negative --film-base 52000,31000,17500 --shadows 0.05,0.08,0.1 "
        "--highlights 1.9,2.1,2.3 --output done roll/*.DNG\n"
        "Exit status: 0 every file done, 1 some file refused (left as it was), 2 a usage or "
        "settings error (nothing read or written), 130 interrupted.");
    app.set_version_flag("--version", std::string(kName) + " " + TINTWELL_VERSION);
    app.add_option("--black", t.black,
                   "Black points of red, green and blue: plain numbers from 0 to 255")
        ->type_name("R,G,B");
    app.add_option("--white", t.white,
                   "White points of red, green and blue: plain numbers from 1 to 255, each above "
                   "its black point")
        ->type_name("R,G,B");
    auto* inPlace = app.add_flag("--in-place", t.inPlace, "Write each corrected file over itself");
    auto* output = app.add_option("--output", t.output,
                                  "Write each corrected file under its own name into DIR "
                                  "(made if missing); the originals stay as they are (a "
                                  "destination that is one of them stops the run)");
    output->type_name("DIR");
    inPlace->excludes(output);
    app.add_option("--jobs", t.jobs, "Files worked on at a time (default: the number of cores)")
        ->type_name("N")
        ->check(CLI::Range(1u, 1024u));
    app.add_flag("--suggest", t.suggest,
                 "Print suggested points for each file and for the files together");
    app.add_option("--clip", t.clip,
                   "Share of pixels the suggested points may clip, in percent: one value for "
                   "both ends, or dark and light (default 0.1)")
        ->type_name("LOW[,HIGH]");
    app.add_option("--margin", t.margin,
                   "Border of each picture left out of the suggestion, in percent of its width "
                   "and height on each side (default 5)")
        ->type_name("PERCENT");
    app.add_option("--proxy", t.proxy,
                   "Write an uncorrected 24-bit bitmap of each file into DIR (frame01.tif -> "
                   "DIR/frame01.bmp), to open in the window and choose the points by looking")
        ->type_name("DIR");
    DescribeNegative(app, t);
    app.add_option("FILE", o.files,
                   "Picture files: .bmp, .tif, .tiff, .png, and camera raw files (.dng, .cr2, "
                   ".cr3, .nef, .arw, .raf, .orf, .rw2, .pef and others) with --negative")
        ->required();
}

Parsed Ready(const document::RollJob& job) {
    return {Options{job}, 0, "", ""};
}

// The suggestion's shares and border.
std::optional<Parsed> ReadShares(const Texts& t, document::RollJob& o) {
    if (!t.clip.empty() && !ReadClip(t.clip, o))
        return Usage(
            "--clip takes a percentage, or two as LOW,HIGH, that together leave some pixels "
            "between the two ends: under 100% in all");
    if (!t.margin.empty() && (!ReadPercent(t.margin, 50, o.margin) || o.margin >= 50))
        return Usage(
            "--margin takes a percentage under 50: a border of 50% on each side leaves "
            "nothing to count");
    return std::nullopt;
}

// A negative's settings, read strictly; for a suggestion only its film base counts, and the
// densities stand in for what is to be suggested.
std::optional<Parsed> ReadNegativeTexts(const Texts& t, document::RollJob& o) {
    if (!t.negative)
        return Usage(
            "--film-base, --shadows, --highlights, --contrast and --mono go with --negative");
    if (!t.black.empty() || !t.white.empty())
        return Usage("--negative takes --shadows and --highlights, not --black and --white");
    if (t.suggest && (!t.shadows.empty() || !t.highlights.empty() || !t.contrast.empty()))
        return Usage(
            "--suggest --negative suggests the shadows and highlights: it takes "
            "--film-base (and --mono), not --shadows, --highlights or --contrast");
    if (t.filmBase.empty() || (!t.suggest && (t.shadows.empty() || t.highlights.empty())))
        return Usage(t.suggest ? "--suggest --negative needs --film-base"
                               : "--negative needs --film-base, --shadows and --highlights");
    engine::PerChannel<std::string> bases, shadows{"0", "0", "0"}, highlights{"4", "4", "4"};
    if (!SplitThree(t.filmBase, bases)) return Usage("--film-base takes three numbers: R,G,B");
    if (!t.suggest && !SplitThree(t.shadows, shadows))
        return Usage("--shadows takes three numbers: R,G,B");
    if (!t.suggest && !SplitThree(t.highlights, highlights))
        return Usage("--highlights takes three numbers: R,G,B");
    const std::string contrast = t.contrast.empty() ? "2" : t.contrast;
    const auto read = engine::ReadNegative(bases, shadows, highlights, contrast, t.mono);
    if (const auto* wrong = std::get_if<engine::NegativeProblem>(&read))
        return Usage(document::NegativeReason(*wrong, document::Framing::CommandLine));
    o.negative = std::get<engine::Negative>(read);
    return std::nullopt;
}

Parsed SettleSuggest(const Texts& t, document::RollJob o) {
    o.mode = document::RollJob::Mode::Suggest;
    if (!t.black.empty() || !t.white.empty() || t.inPlace || !t.output.empty())
        return Usage(
            "--suggest writes nothing: it takes no --black, --white, --in-place or --output");
    if (auto wrong = ReadShares(t, o)) return *wrong;
    if (t.AnyNegative())
        if (auto wrong = ReadNegativeTexts(t, o)) return *wrong;
    return Ready(o);
}

// What the options mean together, after CLI11 has read them one by one; the points read once,
// strictly, into the levels the work uses.
Parsed Settle(const Texts& t, document::RollJob o, unsigned cores) {
    o.jobs = t.jobs == 0 ? std::max(1u, cores) : t.jobs;
    if (!t.proxy.empty()) {
        o.mode = document::RollJob::Mode::Proxy;
        o.folder = t.proxy;
        if (t.suggest || !t.black.empty() || !t.white.empty() || t.inPlace || !t.output.empty() ||
            !t.clip.empty() || !t.margin.empty() || t.AnyNegative())
            return Usage("--proxy makes uncorrected proxies: it takes no other option but --jobs");
        return Ready(o);
    }
    if (t.suggest) return SettleSuggest(t, o);
    if (!t.clip.empty() || !t.margin.empty()) return Usage("--clip and --margin go with --suggest");
    if (t.AnyNegative()) {
        if (auto wrong = ReadNegativeTexts(t, o)) return *wrong;
    } else {
        if (t.black.empty() || t.white.empty()) return Usage("--black and --white are both needed");
        engine::PerChannel<std::string> blacks, whites;
        if (!SplitThree(t.black, blacks)) return Usage("--black takes three numbers: R,G,B");
        if (!SplitThree(t.white, whites)) return Usage("--white takes three numbers: R,G,B");
        const auto points = engine::ReadPoints(blacks, whites);
        if (const auto* wrong = std::get_if<engine::PointsProblem>(&points))
            return Usage(document::PointsReason(*wrong, document::Framing::CommandLine));
        o.levels = std::get<engine::Levels>(points);
    }
    if (!t.inPlace && t.output.empty()) {
        return Usage(
            "say where the corrected files go: --in-place (over the originals) or "
            "--output DIR; nothing is overwritten unless asked");
    }
    o.inPlace = t.inPlace;
    o.folder = t.output;
    return Ready(o);
}

}  // namespace

Parsed ParseOptions(const std::vector<std::string>& args, unsigned cores) {
    CLI::App app;
    app.name(kName);
    Texts texts;
    document::RollJob job;
    Describe(app, texts, job);
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    std::ostringstream out, err;
    try {
        app.parse(reversed);
    } catch (const CLI::Success& done) {  // --help, --version
        const int status = app.exit(done, out, err);
        return {std::nullopt, status, out.str(), err.str()};
    } catch (const CLI::ParseError& wrong) {
        app.exit(wrong, out, err);
        return {std::nullopt, kUsageError, out.str(), err.str()};
    }
    return Settle(texts, job, cores);
}

}  // namespace tintwell::batch
