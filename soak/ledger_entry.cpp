#include "ledger_entry.h"

#include "answer_plan.h"
#include "q470comm.h"

namespace q470::soak {

FinalLine FinalLineOf(const LedgerEntry& entry) {
    if (entry.fault.silent || entry.fault.hangUp) return FinalLine::None;
    if (entry.fault.answerError) return FinalLine::Error;
    if (entry.reply.resultLine == "\r\nOK\r\n") return FinalLine::Ok;
    if (entry.reply.resultLine.empty()) return FinalLine::None;
    return FinalLine::Error;
}

bool SentData(const LedgerEntry& entry) {
    return !entry.fault.silent && !entry.fault.hangUp && !entry.fault.answerError && !entry.reply.dataLines.empty();
}

bool IsSetCommand(const LedgerEntry& entry) {
    return entry.command.find('=') != std::string::npos;
}

bool HasKeyword(const LedgerEntry& entry, const std::string& keyword) {
    return entry.command.compare(0, keyword.size(), keyword) == 0;
}

// Noise between the lines and at the line ends, repeated data lines, delays and pauses leave an answer
// whole: the link must take it. Only an answer that comes in one burst larger than the link's receive
// buffer (floods of noise) may lose lines on the way.
bool BrokeAnswer(const LedgerEntry& entry) {
    if (entry.fault.silent || entry.fault.hangUp || entry.fault.answerError) return true;
    std::size_t bytes = 0;
    for (const auto& segment : sim::PlanAnswer(entry.reply, entry.fault, {}, {})) bytes += segment.bytes.size();
    return bytes > Q470Comm::kReceiveCap;
}

}  // namespace q470::soak
