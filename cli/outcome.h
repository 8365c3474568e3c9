#pragma once

#include <system_error>

#include "config_exchange.h"
#include "setting_problem.h"

namespace q470 {

// How a run or one port's part of it ended, as a stable word for scripts beside the exit status.
enum class Outcome {
    Ok,
    // 2: nothing was written to the device.
    Usage,           // the command line is wrong
    NotForModel,     // the command or a key does not fit the device's model
    InvalidSetting,  // the settings to send hold a value the device may not take
    // 3: the port could not be opened (or listed).
    NoSuchPort,
    PortBusy,
    PermissionDenied,
    PortFailed,
    // 1: the device.
    NoAnswer,      // no answer, or not the one expected
    Refused,       // the device answered ERROR
    UnknownModel,  // the device names a model the tool does not know
    Disconnected,  // the device hung up, or its adapter went away
    NotAsWritten,  // --verify: after the restart the device holds another value than was written
    NotRestarted,  // --verify: the device was not seen to restart, so nothing was read back
    // 4: a file.
    FileUnreadable,  // cannot be opened or read, or is not JSON
    FileInvalid,     // JSON, but not a configuration file (the root, the model name)
    FileNoSettings,  // no setting in it could be read
    FileWrongModel,  // for another model than the device
    FileRefused,     // a value its member may not hold
    FileNotWritten,  // a file could not be written
    // 128 + the signal.
    Interrupted,
};

// "ok", "usage", "not-for-model", ...: the words the README lists.
const char* OutcomeWord(Outcome outcome);
// The exit status of an outcome; 130 for Interrupted (the signal decides the real one).
int OutcomeStatus(Outcome outcome);
// The word of a kind of file problem in the JSON ("notAllowed", "unknownMember", ...).
const char* ProblemKindWord(ProblemKind kind);
// Why a port did not open, as an outcome.
Outcome PortOpenOutcome(const std::error_code& error);
// Why a configuration file was not taken, as an outcome.
Outcome FileLoadOutcome(ConfigLoadStatus status);

}  // namespace q470
