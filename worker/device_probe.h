#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "q470comm.h"

namespace q470 {

// What a device tells about itself through queries alone.
struct DeviceIdentity {
    std::uint32_t modelKind = 0;  // 0: the model name is none of the three
    std::string modelName;        // as the device answered it
    std::uint8_t quietMode = 0;   // 1: the device sends no OK/ERROR
    std::string firmware;
    std::uint64_t extendedAddress = 0;
};

// AT+QM? at the link's line setting; the device's quiet mode when one answered. A quiet device answers
// it too: its answer is a data line. A line end goes first: a device that took in noise at another
// line setting ends that line there (answering ERROR, or nothing when quiet, neither of which completes
// the query) and hears the probe on a line of its own.
std::optional<std::uint8_t> ProbeQuietMode(Q470Comm& link, std::chrono::milliseconds wait);

enum class IdentityOutcome { Read, UnknownModel, NoAnswer };

// AT+MODELNAME? alone: the model, and whether it is one of the three.
IdentityOutcome ReadModelName(Q470Comm& link, std::uint32_t baudRate, DeviceIdentity& identity);

// AT+MODELNAME?, then AT+INFO? and AT+VER? for the extended address and the firmware; queries only.
// `baudRate` is the line's, for the model name's and the identity's time-outs. An unknown model name
// ends it with the name kept.
IdentityOutcome ReadIdentity(Q470Comm& link, std::uint32_t baudRate, DeviceIdentity& identity);

// Asks AT+QM? until a device answers or `budget` has passed, as after a restart, when the device takes
// its own time to come back; `stopping` ends it early. The quiet mode when one answered; `unanswered`,
// when given, receives how many asks went unanswered first.
std::optional<std::uint8_t> WaitUntilAnswering(Q470Comm& link, std::chrono::milliseconds wait,
                                               std::chrono::milliseconds budget, const std::function<bool()>& stopping,
                                               unsigned* unanswered = nullptr);

}  // namespace q470
