#pragma once

#include <chrono>
#include <string>

#include "command_fault.h"
#include "modem_reply.h"

namespace q470::soak {

// One command as the soak device received it: the fault it was given and what the device itself
// would have answered without that fault.
struct LedgerEntry {
    std::string command;  // without its CR
    sim::CommandFault fault;
    sim::ModemReply reply;
    std::chrono::steady_clock::time_point handled;
    std::chrono::steady_clock::time_point quietAt;  // the last byte of the answer is out by then
};

// What reached the application as the command's final line.
enum class FinalLine { Ok, Error, None };

FinalLine FinalLineOf(const LedgerEntry& entry);
// The query's data lines went out (they may still have been mangled by injected bytes).
bool SentData(const LedgerEntry& entry);
// "AT+KEY=..." commands; ATZ, AT&F, AT+ASSOCCLR and the queries are not.
bool IsSetCommand(const LedgerEntry& entry);
bool HasKeyword(const LedgerEntry& entry, const std::string& keyword);
// The fault broke the answer: no answer, a refusal, a hang-up, a flood of bytes between its lines, or
// stray bytes that leave one of its lines noise.
bool BrokeAnswer(const LedgerEntry& entry);
// A query whose final line the fault may keep from the link in time, or at all: the link then stops
// sending until it is opened again.
bool MayLeaveFinalLineOwed(const LedgerEntry& entry);

}  // namespace q470::soak
