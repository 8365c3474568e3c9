#include "answer_plan.h"

#include <algorithm>
#include <map>

namespace q470::sim {
namespace {

using Cuts = std::map<std::size_t, std::chrono::nanoseconds>;  // offset → pause before it

// Where a stray byte goes in a line of `length` bytes: inside or just outside its opening (even
// numbers) or closing (odd numbers) CR LF.
std::size_t StrayOffset(const CommandFault::StrayByte& stray, std::size_t length) {
    const bool opening = stray.lineEnd % 2 == 0;
    if (stray.inside) return opening ? 1 : length - 1;
    return opening ? 0 : length;
}

// The answer's lines as they go out: data lines repeated when asked, stray bytes slipped in.
std::vector<std::string> AnswerLines(const ModemReply& reply, const CommandFault& fault) {
    std::vector<std::string> lines;
    for (const auto& line : reply.dataLines) {
        lines.push_back(line);
        if (fault.duplicateDataLines) lines.push_back(line);
    }
    if (!reply.resultLine.empty()) lines.push_back(reply.resultLine);
    // Offsets in the lines as they were, filled in from the back so that earlier ones stay valid.
    std::vector<std::pair<std::size_t, std::size_t>> places;  // line, offset
    for (const auto& stray : fault.strayBytes) {
        const std::size_t line = stray.lineEnd / 2;
        places.emplace_back(line, line < lines.size() ? StrayOffset(stray, lines[line].size()) : 0);
    }
    std::vector<std::size_t> order(fault.strayBytes.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return places[a] > places[b]; });
    for (const std::size_t i : order) {
        if (places[i].first < lines.size()) lines[places[i].first].insert(places[i].second, 1, fault.strayBytes[i].byte);
    }
    return lines;
}

// The answer's bytes with the injected bytes between its lines; notes the cut before the result line.
std::string JoinLines(const ModemReply& reply, const CommandFault& fault, Cuts& cuts) {
    const std::vector<std::string> lines = AnswerLines(reply, fault);
    std::string body;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) body += fault.injectBetweenLines;
        const bool resultLine = !reply.resultLine.empty() && i + 1 == lines.size();
        if (resultLine && fault.trailerDelay.count() > 0) cuts[body.size()] += fault.trailerDelay;
        body += lines[i];
    }
    return body;
}

}  // namespace

std::vector<OutputSegment> PlanAnswer(const ModemReply& reply, const CommandFault& fault, SteadyTime arrival,
                                      std::chrono::nanoseconds readyDelay) {
    if (fault.silent) return {};
    SteadyTime start = arrival + fault.delay;
    if (fault.hangUp) return {OutputSegment{{}, start, {}, true}};

    Cuts cuts;
    const std::string body = JoinLines(reply, fault, cuts);
    std::vector<std::size_t> splits = fault.splitAt;
    std::sort(splits.begin(), splits.end());
    splits.erase(std::unique(splits.begin(), splits.end()), splits.end());
    for (std::size_t offset : splits) {
        if (offset > 0 && offset < body.size()) cuts[offset] += fault.splitPause;
    }
    if (const auto atStart = cuts.find(0); atStart != cuts.end()) {
        start += atStart->second;  // an answer that is only its result line waits the trailer delay first
        cuts.erase(atStart);
    }

    std::vector<OutputSegment> segments;
    std::size_t from = 0;
    std::chrono::nanoseconds pause{0};
    for (const auto& [offset, pauseBefore] : cuts) {
        segments.push_back({body.substr(from, offset - from), start, pause, false});
        from = offset;
        pause = pauseBefore;
    }
    segments.push_back({body.substr(from), start, pause, false});
    if (!reply.laterLine.empty()) segments.push_back({reply.laterLine, start + readyDelay, readyDelay, false});
    return segments;
}

}  // namespace q470::sim
