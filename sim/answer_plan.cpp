#include "answer_plan.h"

#include <algorithm>
#include <map>

namespace q470::sim {
namespace {

using Cuts = std::map<std::size_t, std::chrono::nanoseconds>;  // offset → pause before it

// The answer's bytes with the injected bytes between its lines; notes the cut before the result line.
std::string JoinLines(const ModemReply& reply, const CommandFault& fault, Cuts& cuts) {
    std::string body;
    bool first = true;
    for (const auto& line : reply.dataLines) {
        if (!first) body += fault.injectBetweenLines;
        body += line;
        first = false;
    }
    if (reply.resultLine.empty()) return body;
    if (!first) body += fault.injectBetweenLines;
    if (fault.trailerDelay.count() > 0) cuts[body.size()] += fault.trailerDelay;
    return body + reply.resultLine;
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
