#include "apply_trail.h"

namespace q470 {

bool ApplyTrailRecorder::Record(CommandId command, const std::string& sentText, bool acknowledged) {
    AppliedStep step{command, sentText};
    while (!step.text.empty() && (step.text.back() == '\r' || step.text.back() == '\n')) step.text.pop_back();
    if (acknowledged) {
        trail_.acknowledged.push_back(std::move(step));
    } else if (!trail_.failed) {
        trail_.failed = std::move(step);
    }
    return acknowledged;
}

}  // namespace q470
