#include "outcome.h"

#include <array>
#include <csignal>

#include "exit_status.h"

namespace q470 {
namespace {

struct OutcomeEntry {
    Outcome outcome;
    const char* word;
    int status;
};

constexpr std::array<OutcomeEntry, 21> kOutcomes{{
    {Outcome::Ok, "ok", ExitOk},
    {Outcome::Usage, "usage", ExitUsage},
    {Outcome::NotForModel, "not-for-model", ExitUsage},
    {Outcome::InvalidSetting, "invalid-setting", ExitUsage},
    {Outcome::NoSuchPort, "no-such-port", ExitPortFailed},
    {Outcome::PortBusy, "port-busy", ExitPortFailed},
    {Outcome::PermissionDenied, "permission-denied", ExitPortFailed},
    {Outcome::PortFailed, "port-failed", ExitPortFailed},
    {Outcome::NoAnswer, "no-answer", ExitDeviceFailed},
    {Outcome::Refused, "refused", ExitDeviceFailed},
    {Outcome::UnknownModel, "unknown-model", ExitDeviceFailed},
    {Outcome::Disconnected, "disconnected", ExitDeviceFailed},
    {Outcome::NotAsWritten, "not-as-written", ExitDeviceFailed},
    {Outcome::NotRestarted, "not-restarted", ExitDeviceFailed},
    {Outcome::FileUnreadable, "file-unreadable", ExitFileFailed},
    {Outcome::FileInvalid, "file-invalid", ExitFileFailed},
    {Outcome::FileNoSettings, "file-no-settings", ExitFileFailed},
    {Outcome::FileWrongModel, "file-wrong-model", ExitFileFailed},
    {Outcome::FileRefused, "file-refused", ExitFileFailed},
    {Outcome::FileNotWritten, "file-not-written", ExitFileFailed},
    {Outcome::Interrupted, "interrupted", 128 + SIGINT},
}};

const OutcomeEntry& EntryOf(Outcome outcome) {
    for (const auto& entry : kOutcomes) {
        if (entry.outcome == outcome) return entry;
    }
    return kOutcomes.back();
}

}  // namespace

const char* OutcomeWord(Outcome outcome) {
    return EntryOf(outcome).word;
}

int OutcomeStatus(Outcome outcome) {
    return EntryOf(outcome).status;
}

const char* ProblemKindWord(ProblemKind kind) {
    switch (kind) {
        case ProblemKind::NotAllowed:
            return "notAllowed";
        case ProblemKind::UnknownMember:
            return "unknownMember";
        case ProblemKind::WrongType:
            return "wrongType";
        case ProblemKind::Incomplete:
            return "incomplete";
        case ProblemKind::Duplicate:
            return "duplicate";
        case ProblemKind::NotForModel:
            return "notForModel";
    }
    return "";
}

Outcome PortOpenOutcome(const std::error_code& error) {
    if (error == std::errc::permission_denied) return Outcome::PermissionDenied;
    if (error == std::errc::device_or_resource_busy) return Outcome::PortBusy;
    if (error == std::errc::no_such_file_or_directory || error == std::errc::no_such_device) return Outcome::NoSuchPort;
    return Outcome::PortFailed;
}

Outcome FileLoadOutcome(ConfigLoadStatus status) {
    switch (status) {
        case ConfigLoadStatus::BadContent:
            return Outcome::FileInvalid;
        case ConfigLoadStatus::NoValidValues:
            return Outcome::FileNoSettings;
        case ConfigLoadStatus::WrongProduct:
            return Outcome::FileWrongModel;
        case ConfigLoadStatus::Refused:
            return Outcome::FileRefused;
        case ConfigLoadStatus::Loaded:
            return Outcome::Ok;
        case ConfigLoadStatus::FileUnreadable:
            break;
    }
    return Outcome::FileUnreadable;
}

}  // namespace q470
