#include "ledger_entry.h"

#include "answer_plan.h"
#include "q470comm.h"

namespace q470::soak {
namespace {

std::size_t AnswerLineCount(const LedgerEntry& entry) {
    const std::size_t data = entry.reply.dataLines.size() * (entry.fault.duplicateDataLines ? 2 : 1);
    return data + (entry.reply.resultLine.empty() ? 0 : 1);
}

// A line is taken only whole between its CR LFs: a stray CR right after its text (inside its closing
// CR LF) may equally have replaced its last byte, and two stray bytes inside one CR LF leave it none.
bool StraysBreakLine(const sim::CommandFault& fault, std::size_t line) {
    for (const std::size_t lineEnd : {2 * line, 2 * line + 1}) {
        std::size_t inside = 0;
        for (const auto& stray : fault.strayBytes) {
            if (stray.lineEnd != lineEnd || !stray.inside) continue;
            ++inside;
            if (lineEnd % 2 == 1 && stray.byte == '\r') return true;
        }
        if (inside > 1) return true;
    }
    return false;
}

bool StraysBreakAnyLine(const LedgerEntry& entry) {
    for (std::size_t line = 0; line < AnswerLineCount(entry); ++line) {
        if (StraysBreakLine(entry.fault, line)) return true;
    }
    return false;
}

}  // namespace

FinalLine FinalLineOf(const LedgerEntry& entry) {
    if (entry.fault.silent || entry.fault.hangUp) return FinalLine::None;
    if (entry.fault.answerError) return FinalLine::Error;
    if (entry.reply.resultLine.empty()) return FinalLine::None;
    if (StraysBreakLine(entry.fault, AnswerLineCount(entry) - 1)) return FinalLine::None;
    if (entry.reply.resultLine == "\r\nOK\r\n") return FinalLine::Ok;
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
    if (StraysBreakAnyLine(entry)) return true;
    std::size_t bytes = 0;
    for (const auto& segment : sim::PlanAnswer(entry.reply, entry.fault, {}, {})) bytes += segment.bytes.size();
    return bytes > Q470Comm::kReceiveCap;
}

// Late: after a pause, behind injected bytes that take their time at a slow line, or broken.
bool MayLeaveFinalLineOwed(const LedgerEntry& entry) {
    if (entry.command.empty() || entry.command.back() != '?' || !SentData(entry) || entry.reply.resultLine.empty()) {
        return false;
    }
    const auto& fault = entry.fault;
    return fault.trailerDelay.count() > 0 || !fault.splitAt.empty() || !fault.injectBetweenLines.empty() ||
           !fault.strayBytes.empty() || BrokeAnswer(entry);
}

}  // namespace q470::soak
