#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "apply_trail.h"
#include "config_exchange.h"
#include "setting_problem.h"
#include "text_catalog.h"
#include "ui_text.h"

namespace q470 {

// Sentences for a person, in UTF-8 and the language of the catalogue they are given, about what the core
// found: why a configuration file was not read or was refused, which values the rules do not allow, what was left
// out, and what a partly applied job wrote. Each is meant to follow the window's own message for the
// case, never to replace it.

// One problem: "General/PAN ID: 70196 is not allowed (allowed: 1 to 65533)." A problem without a
// member path (a page's record, the command line) is named by its setting.
std::string ProblemText(const SettingProblem& problem, const TextCatalog& texts);
// Refusals first, then the rest, each in the order found.
std::vector<std::string> ProblemLines(const SettingProblems& problems, const TextCatalog& texts);
// Values a device holds that a saved file would carry and apply would refuse, one line each, naming
// where the value stands in the file, the value, what is allowed and that the file cannot be applied
// until it is changed: the warnings of read and save.
std::vector<std::string> HeldValueLines(const SettingProblems& refusals, const TextCatalog& texts);
// What the refusals allow, e.g. "46 to 51, the channels of PHY ID 8".
std::string AllowedText(const SettingProblem& problem, const TextCatalog& texts);

// Why a file could not be read: missing, not a regular file, permission, a read error, or a parse
// error with its line and column.
std::string FileFailureText(const ConfigFileFailure& failure, const TextCatalog& texts);

// The window's own message for a file that was not loaded, which the tool prints first too: string 125
// for a file not read or refused, the analysis message for wrong content (its "(%d)" filled with the
// outcome's code), the no-valid-values or the wrong-product warning.
struct LoadRefusal {
    UiText text = UiText::ConfigLoadFailed;
    bool takesCode = false;
};
LoadRefusal LoadRefusalOf(ConfigLoadStatus status);

// The lines that follow the window's message for a refused or loaded file: the cause of a read
// failure or of wrong content, the model the file is for, the problems found (after the refusals, that
// a file saved from a device holding such a value needs it changed first). `connectedModelKind` names
// the device for a file of another product.
std::vector<std::string> LoadCauseLines(const ConfigLoadOutcome& outcome, std::uint32_t connectedModelKind,
                                        const TextCatalog& texts);

// What a partly applied job wrote: the commands the device acknowledged and the step that failed (or,
// when the run was interrupted, the step it was cut short at). Nothing for a job that had no step.
std::vector<std::string> TrailLines(const ApplyTrail& trail, bool interrupted, const TextCatalog& texts);

}  // namespace q470
