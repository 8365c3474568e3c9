#include "setting_problem.h"

#include <algorithm>

namespace q470 {

bool IsRefusal(ProblemKind kind) {
    return kind == ProblemKind::NotAllowed;
}

bool HasRefusal(const SettingProblems& problems) {
    return std::any_of(problems.begin(), problems.end(),
                       [](const SettingProblem& problem) { return IsRefusal(problem.kind); });
}

}  // namespace q470
