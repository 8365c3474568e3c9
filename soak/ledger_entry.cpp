#include "ledger_entry.h"

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

bool BrokeAnswer(const LedgerEntry& entry) {
    return entry.fault.silent || entry.fault.hangUp || entry.fault.answerError ||
           !entry.fault.injectBetweenLines.empty();
}

}  // namespace q470::soak
