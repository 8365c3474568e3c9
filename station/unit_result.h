#pragma once

#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "unit_step.h"

namespace q470 {

// Who a unit says it is. Texts as the unit sent them; empty where it did not tell.
struct UnitIdentity {
    std::string extendedAddress;  // "00:12:4B:00:1A:2B:3C:4D"
    std::string model;
    std::string firmware;
};

// What a look at a port with queries alone found.
struct ProbeAnswer {
    enum class Kind {
        Answered,    // a unit answered; `identity` says who, as far as it could be read
        NoAnswer,    // the port opened but nothing answered
        CannotOpen,  // the port is missing, held by another program or not ours to open: `error`
    };
    Kind kind = Kind::NoAnswer;
    UnitIdentity identity;
    std::error_code error;
};

// A setting whose read-back differs from what was written; the setting by its key word, the values in
// the words the key takes.
struct SettingDifference {
    std::string setting;
    std::string written;
    std::string readBack;
};

enum class UnitVerdict { Passed, Failed, Interrupted };

// Whether running the unit again may help: a unit that did not answer or hung up may do better on a
// second run; one that refused a setting, was of another model or read back a difference will not.
enum class FailureKind { None, Transient, Final };

struct UnitResult {
    UnitVerdict verdict = UnitVerdict::Failed;
    FailureKind failure = FailureKind::None;
    std::optional<UnitStep> failedStep;  // the step that failed, or that a stop cut short
    UnitIdentity identity;               // as far as the run learnt it; the probe's where empty
    std::vector<SettingDifference> differences;
    // Remarks for the record in plain words without spaces (for example "quiet-mode-not-restored"),
    // several separated by a space.
    std::string note;
};

}  // namespace q470
