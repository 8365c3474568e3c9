#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "device_records.h"
#include "port_names.h"
#include "q470comm.h"
#include "setting_check.h"

namespace q470 {

// How long a device may take to come back after its restart before the check gives up on it.
constexpr std::chrono::milliseconds kRestartBudget{5000};
// How long the device's "+READY" is listened for at the line the restart was sent at, before the port
// is looked at again. It comes at the line the device restarts at: with a new UART setting there, at the
// old line only from a device that lost the setting.
constexpr std::chrono::milliseconds kAnnouncementWait{300};

struct VerifyRequest {
    std::string port;
    // The names the port had when it was opened: a port that has gone with the restart is looked for
    // by these (and reopened by the one that came back). Unknown (no openedAs): `port` is tried again.
    PortNames names;
    ConnectionLine connection;    // the line setting the writes went at
    std::uint32_t modelKind = 0;  // the device's model, as identified before the writes
    // The device's extended address as read before the writes (0: unknown): a device that answers after
    // the restart with another one is another unit, plugged in where the first one went.
    std::uint64_t extendedAddress = 0;
    std::vector<SettingCheck> checks;
    std::chrono::milliseconds restartBudget = kRestartBudget;
    std::function<bool()> stopping;  // polled while the device is waited for
};

enum class VerifyOutcome {
    Verified,      // the device restarted, and every written setting reads back as written
    Differs,       // at least one does not (or the UART setting is not the one the device answers at)
    NoAnswer,      // the device answered neither at the line setting it should use now nor at the old one
    OtherDevice,   // what answered is not the model (or the unit) that was written to
    ReadFailed,    // it answered, but the read stopped short
    CannotOpen,    // the port could not be opened again: `openError`
    NotBack,       // the port went with the restart and did not come back within the restart budget
    NotRestarted,  // it answered, but was never seen to restart: nothing was read back
    Stopped,
};

struct VerifyReport {
    VerifyOutcome outcome = VerifyOutcome::NoAnswer;
    std::optional<ConnectionLine> line;          // where the device answered after its restart
    std::vector<SettingCheck> checks;            // with what was read back
    std::chrono::milliseconds readyAfter{0};     // from the reopening until the device answered
    std::chrono::milliseconds restartBudget{0};  // how long the device was given to come back
    std::error_code openError;
    // The name the port was opened by again after it had gone with the restart; empty when it stayed.
    std::string foundAs;
    // The restart-type command the link last sent (CmdEnd: none), the kind of what ended it, and
    // whether the device answered it ERROR.
    CommandId restartCommand = CmdEnd;
    std::int32_t restartAnswer = ResultNoRecord;
    bool restartRefused = false;
};

// After the writes and the restart the link sent: makes sure the device restarted, reopens the port at
// the line setting the device should use now (the UART setting written, otherwise the connection's),
// waits until the device answers, identifies it, reads it with the model's read job and compares every
// written setting. Settings written take effect at a restart, so a device that did not restart is
// never read back: it must be seen to restart, by its "+READY", by falling silent for a while and then
// answering again, by its port vanishing and coming back, or by answering at the new UART setting it
// could only take up by restarting. When the device does not answer at a new UART setting, the old one
// is tried: a device that did not keep its new UART setting shows it there. Queries only; `link` is
// closed first and left open at the line the device answered.
VerifyReport VerifyWrites(Q470Comm& link, const VerifyRequest& request);

// Waits for a port that has gone with the device's restart to come back, by the name it was opened
// with or by a stable link that led to it: the name to open it by, or nothing after `budget` (or once
// `stopping` says so).
std::optional<std::string> AwaitPortReturnBy(const PortNames& names, std::chrono::milliseconds budget,
                                             const std::function<bool()>& stopping);

// "verified", "differs", "no-answer", "other-device", "read-failed", "cannot-open", "not-back",
// "not-restarted", "stopped".
const char* VerifyOutcomeName(VerifyOutcome outcome);

}  // namespace q470
