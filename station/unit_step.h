#pragma once

#include <optional>
#include <string_view>

namespace q470 {

// The steps of provisioning one unit, in the order a runner takes them.
enum class UnitStep {
    FindLine,    // the line settings the unit answers at
    Identify,    // its model, firmware and extended address
    CheckModel,  // a unit of another model than the profile's is refused
    Read,        // its settings before anything is written
    Apply,       // the profile's settings written
    Restart,     // the unit restarted so that they take effect
    FindAgain,   // the unit answering again after its restart
    ReadBack,    // its settings read again
    Compare,     // what was read back against what was written
};

// "find-line", "identify", "check-model", "read", "apply", "restart", "find-again", "read-back", "compare":
// the words the record keeps in its failed_step column.
std::string_view UnitStepWord(UnitStep step);
std::optional<UnitStep> UnitStepFromWord(std::string_view word);

}  // namespace q470
