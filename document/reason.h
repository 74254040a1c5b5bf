#pragma once

#include <string>

#include "document/result.h"
#include "document/roll_job.h"
#include "document/roll_runner.h"
#include "engine/points.h"

namespace tintwell::document {

// Everything the programs say about files and settings is put into words here. The main window
// speaks in the literal messages it has always given; the roll window and the roll program
// give the precise reason.
enum class Framing { Window, Roll, CommandLine };

// Why a file could not be read or written, as a clause: "its samples are signed".
std::string Reason(const Error& error);

// What is said of a file that could not be taken in: in the main window "I only take BMP files"
// or "Can't read that for some reason"; elsewhere its own reason.
std::string CantTakeIn(const Error& error, Framing framing);

// What is said of a file of a roll that changed while it was worked on: it is left as it is now,
// or, where the correction was to go elsewhere, nothing was written.
std::string ChangedMeanwhile(bool itself);

// What is said when a picture could not be saved over `path`: the reason, and the state the
// file on disk is in.
std::string CantSave(const std::string& path, const Error& error);

// Why a roll stopped before anything was written.
std::string RollRefused(const RollRefusal& refusal, RollJob::Mode mode, Framing framing);

// What the main window says of a channel whose fields its reading cannot settle (a message of
// its own), and, shorter, where it shows no preview for it.
std::string SettingsMessage(const engine::SettingsError& error);
std::string CantBeUsed(const engine::SettingsError& error);

// Why six point texts, read strictly, cannot be used: on the command line naming the option
// ("--white: "-1" (red) is not a plain number: ..."), in the roll window naming the field.
std::string PointsReason(const engine::PointsProblem& problem, Framing framing);

// Why a negative's settings, read strictly, cannot be used: on the command line naming the
// option, in the roll window naming the field.
std::string NegativeReason(const engine::NegativeProblem& problem, Framing framing);

}  // namespace tintwell::document
