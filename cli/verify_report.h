#pragma once

#include <string>
#include <vector>

#include "cli_text.h"
#include "json_out.h"
#include "outcome.h"
#include "setting_check.h"
#include "setting_check_words.h"
#include "write_verifier.h"

namespace q470 {

// One line for the verification as a whole: "verified after the restart: 9 settings read back as
// written (the device answers at 115200 8N1)", or what went wrong. `linesTried` names where the device
// was looked for, for a device that did not answer.
std::string VerifySummary(const VerifyReport& report, const std::string& linesTried, const CliText& text);
// One line per difference: "channel: written 101, read back 99".
std::vector<std::string> VerifyDifferenceLines(const VerifyReport& report, const CliText& text);
// How a port's run ends when the check did not verify: "not-as-written" for a difference or another
// model, "not-restarted", "no-answer", or why the port did not open again.
Outcome VerifyFailure(const VerifyReport& report);

// The value of a port record's "verify": outcome word, the line the device answered at, how long it
// took to come back, every setting checked and the differences.
void WriteVerifyJson(JsonOut& json, const VerifyReport& report);

}  // namespace q470
