#include "apply_trail.h"

#include "response_kind.h"

namespace q470 {

StepAnswer AnswerOfKind(std::int32_t kind) {
    switch (kind) {
        case RespOk:
        case RespReady:
        case RespReadyDebug:
            return StepAnswer::Acknowledged;
        case RespError:
            return StepAnswer::Refused;
        case ResultClosed:
        case ResultNotOpen:
            return StepAnswer::HungUp;
        default:
            return StepAnswer::NoAnswer;
    }
}

bool ApplyTrailRecorder::Record(CommandId command, const std::string& sentText, std::vector<std::uint32_t> values,
                                StepAnswer answer) {
    AppliedStep step{command, sentText, std::move(values), answer};
    while (!step.text.empty() && (step.text.back() == '\r' || step.text.back() == '\n')) step.text.pop_back();
    const bool acknowledged = answer == StepAnswer::Acknowledged;
    if (acknowledged) {
        trail_.acknowledged.push_back(std::move(step));
    } else if (!trail_.failed) {
        trail_.failed = std::move(step);
    }
    return acknowledged;
}

}  // namespace q470
