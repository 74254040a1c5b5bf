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
    bool inPlace = false, suggest = false;
    unsigned jobs = 0;
};

void Describe(CLI::App& app, Texts& t, document::RollJob& o) {
    app.description(
        "Corrects a whole roll of scanned negatives (BMP, and 8- or 16-bit TIFF and PNG, each "
        "kept in its own kind) with one set of black and white points, as the Tintwell window "
        "does one picture; or suggests the points; or makes bitmap proxies to choose them by "
        "looking in the window.");
    app.footer(
        "A roll in two commands:\n"
        "  tintwell-batch --suggest roll/*.tif\n"
        "  tintwell-batch --black 11,40,78 --white 203,187,229 --output done roll/*.tif\n"
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
    app.add_option("FILE", o.files, "Picture files: .bmp, .tif, .tiff, .png")->required();
}

Parsed Ready(const document::RollJob& job) {
    return {Options{job}, 0, "", ""};
}

// What the options mean together, after CLI11 has read them one by one; the points read once,
// strictly, into the levels the work uses.
Parsed Settle(const Texts& t, document::RollJob o, unsigned cores) {
    using Mode = document::RollJob::Mode;
    o.jobs = t.jobs == 0 ? std::max(1u, cores) : t.jobs;
    if (!t.proxy.empty()) {
        o.mode = Mode::Proxy;
        o.folder = t.proxy;
        if (t.suggest || !t.black.empty() || !t.white.empty() || t.inPlace || !t.output.empty() ||
            !t.clip.empty() || !t.margin.empty())
            return Usage("--proxy makes uncorrected proxies: it takes no other option but --jobs");
        return Ready(o);
    }
    if (t.suggest) {
        o.mode = Mode::Suggest;
        if (!t.black.empty() || !t.white.empty() || t.inPlace || !t.output.empty())
            return Usage(
                "--suggest writes nothing: it takes no --black, --white, --in-place or --output");
        if (!t.clip.empty() && !ReadClip(t.clip, o))
            return Usage(
                "--clip takes a percentage, or two as LOW,HIGH, that together leave some pixels "
                "between the two ends: under 100% in all");
        if (!t.margin.empty() && (!ReadPercent(t.margin, 50, o.margin) || o.margin >= 50))
            return Usage(
                "--margin takes a percentage under 50: a border of 50% on each side leaves "
                "nothing to count");
        return Ready(o);
    }
    if (!t.clip.empty() || !t.margin.empty()) return Usage("--clip and --margin go with --suggest");
    if (t.black.empty() || t.white.empty()) return Usage("--black and --white are both needed");
    engine::PerChannel<std::string> blacks, whites;
    if (!SplitThree(t.black, blacks)) return Usage("--black takes three numbers: R,G,B");
    if (!SplitThree(t.white, whites)) return Usage("--white takes three numbers: R,G,B");
    const auto points = engine::ReadPoints(blacks, whites);
    if (const auto* wrong = std::get_if<engine::PointsProblem>(&points))
        return Usage(document::PointsReason(*wrong, document::Framing::CommandLine));
    o.levels = std::get<engine::Levels>(points);
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
