#include "document/reason.h"

#include <cstring>

namespace tintwell::document {
namespace {

const char* FormatName(const std::string& detail) {
    return detail.empty() ? "picture" : detail.c_str();
}

// The sentence for a kind of problem; the system's own words for it follow.
std::string Words(const Error& e) {
    switch (e.problem) {
        case Problem::WrongName:
            return "its name is not that of a picture file taken here";
        case Problem::NotItsFormat:
            return std::string("it is not a ") + FormatName(e.detail) + " file";
        case Problem::Missing:
            return "the file does not exist";
        case Problem::Folder:
            return "it is a folder, not a file";
        case Problem::NotAFile:
            return "it is not a regular file (a pipe, a device or a socket)";
        case Problem::CantOpen:
            return "it cannot be opened";
        case Problem::CantRead:
            return "the file could not be read to its end";
        case Problem::Damaged:
        case Problem::Unsupported:
            return e.detail.empty() ? "it is damaged" : e.detail;
        case Problem::TooLarge:
            return "the picture is larger than " + e.detail;
        case Problem::NoMemory:
            return "there is not enough memory";
        case Problem::Changed:
            return "the file changed while it was worked on";
        case Problem::Interrupted:
            return "the program was asked to stop";
        case Problem::NoPicture:
            return "there is no picture to save";
        case Problem::TooLargeToWrite:
            return "the picture is too large for " + e.detail;
        case Problem::WrongLayout:
            return "its pixels are not laid out as " + e.detail + " are";
        case Problem::LinkLeadsNowhere:
            return "the link it names leads nowhere";
        case Problem::ReadOnly:
            return "the file is read-only";
        case Problem::FolderReadOnly:
            return "its folder can't be written";
        case Problem::CantMakeFolder:
            return "the folder " + e.detail + " could not be made";
        case Problem::HardLinked:
            return "it has other names (hard links), which replacing it would split off";
        case Problem::OwnerNotKept:
            return "the new file could not be given its owner and group (it belongs to "
                   "another user)";
        case Problem::AttributesNotKept:
            return "its extended attributes (ACLs, security labels) could not be kept";
        case Problem::CantWrite:
            return e.detail.empty() ? "it could not be written"
                                    : "it could not be written " + e.detail;
        case Problem::CantSync:
            return "it could not be written to disk";
        case Problem::CantReplace:
            return "it could not take the old file's place";
    }
    return "something went wrong";
}

}  // namespace

std::string Reason(const Error& error) {
    std::string words = Words(error);
    if (error.sysError != 0) words += std::string(": ") + std::strerror(error.sysError);
    return words;
}

std::string CantTakeIn(const Error& error, Framing framing) {
    if (framing == Framing::Window)
        return error.problem == Problem::WrongName ? "I only take BMP files"
                                                   : "Can't read that for some reason";
    if (error.problem == Problem::WrongName)
        return "I only take BMP, TIFF, PNG and camera raw files";
    if (error.problem == Problem::Changed) return ChangedMeanwhile(true);
    return Reason(error);
}

std::string ChangedMeanwhile(bool itself) {
    return std::string("it changed while it was worked on; ") +
           (itself ? "it is left as it is now" : "nothing was written");
}

std::string CantSave(const std::string& path, const Error& error) {
    const char* after = error.problem == Problem::Changed ? ". It is left as it is now."
                                                          : ". The file on disk is as it was.";
    return "Can't save " + path + ": " + Reason(error) + after;
}

std::string RollRefused(const RollRefusal& refusal, RollJob::Mode mode, Framing framing) {
    const bool command = framing == Framing::CommandLine;
    if (const auto* error = std::get_if<Error>(&refusal.why))
        return (command ? "can't make the folder " : "Can't make the output folder ") +
               error->detail +
               (error->sysError ? std::string(": ") + std::strerror(error->sysError) : "");
    const PlanRefusal& p = std::get<PlanRefusal>(refusal.why);
    const std::string option = mode == RollJob::Mode::Proxy ? "--proxy" : "--output";
    const std::string target = p.target.string();
    const std::string nothing = ". Nothing was written; choose another folder";
    switch (p.kind) {
        case PlanRefusal::Kind::OverAnOriginal:
            if (!command)
                return "The output folder holds an original: " + target + " is " + p.original +
                       nothing + ", or replace the originals.";
            return option + " would write over an original: " + target + " is " + p.original +
                   nothing + (mode == RollJob::Mode::Proxy ? "." : ", or --in-place.");
        case PlanRefusal::Kind::OverAFileNotOurs:
            return option + " would replace a file it did not make: " + target + nothing +
                   ", or move that file away.";
        case PlanRefusal::Kind::ThroughALink:
            return option + " would write through a link: " + target + " is one" + nothing +
                   ", or remove the link.";
        case PlanRefusal::Kind::RawInPlace:
            return p.original +
                   " is a camera raw file, which is never written over: its positive is a TIFF "
                   "of its name. Nothing was written; " +
                   (command ? "use --output DIR." : "choose an output folder.");
    }
    return {};
}

std::string SettingsMessage(const engine::SettingsError& error) {
    const std::string channel = engine::ChannelName(error.channel);
    if (error.field == engine::Field::BlackPoint)
        return "The " + channel + " black point is out of range. Enter a number from 0 to 255.";
    return "The " + channel +
           " white point can't be used: it reads as 0 or is out of range. Enter a number from 1 "
           "to 255.";
}

std::string CantBeUsed(const engine::SettingsError& error) {
    return std::string("the ") + engine::ChannelName(error.channel) +
           (error.field == engine::Field::BlackPoint ? " black" : " white") +
           " point can't be used";
}

std::string PointsReason(const engine::PointsProblem& p, Framing framing) {
    using Kind = engine::PointsProblem::Kind;
    const bool black = p.field == engine::Field::BlackPoint;
    const std::string channel = engine::ChannelName(p.channel);
    const std::string what =
        framing == Framing::CommandLine
            ? std::string(black ? "--black: \"" : "--white: \"") + p.text + "\" (" + channel + ")"
            : "the " + channel + (black ? " black" : " white") + " point \"" + p.text + "\"";
    switch (p.kind) {
        case Kind::NotANumber:
            return what + " is not a plain number: digits, with at most one decimal point";
        case Kind::OutOfRange:
            return what + " is out of range; " +
                   (black ? "black points go from 0 to 255" : "white points go from 1 to 255");
        case Kind::NotAbove:
            return what + " is not above its black point \"" + p.blackText + "\"";
    }
    return {};
}

std::string NegativeReason(const engine::NegativeProblem& p, Framing framing) {
    using What = engine::NegativeProblem::What;
    using Kind = engine::NegativeProblem::Kind;
    static const char* const kOption[] = {"--film-base", "--shadows", "--highlights", "--contrast"};
    static const char* const kField[] = {"film base", "shadow density", "highlight density",
                                         "contrast"};
    static const char* const kRange[] = {"film bases go from 1 to 65535",
                                         "densities go from 0 to 4", "densities go from 0 to 4",
                                         "the contrast goes from 0.5 to 4"};
    const int what = static_cast<int>(p.what);
    const bool contrast = p.what == What::Contrast;
    const std::string channel = engine::ChannelName(p.channel);
    const std::string said = framing == Framing::CommandLine
                                 ? std::string(kOption[what]) + ": \"" + p.text + "\"" +
                                       (contrast ? "" : " (" + channel + ")")
                                 : "the " + (contrast ? std::string() : channel + " ") +
                                       kField[what] + " \"" + p.text + "\"";
    switch (p.kind) {
        case Kind::NotANumber:
            return said + " is not a plain number: digits, with at most one decimal point";
        case Kind::OutOfRange:
            return said + " is out of range; " + kRange[what];
        case Kind::NotAbove:
            return said + " is not above its shadow density \"" + p.shadowText + "\"";
    }
    return {};
}

}  // namespace tintwell::document
