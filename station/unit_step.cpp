#include "unit_step.h"

#include <array>
#include <utility>

namespace q470 {
namespace {

constexpr std::array<std::pair<UnitStep, std::string_view>, 9> kWords{{
    {UnitStep::FindLine, "find-line"},
    {UnitStep::Identify, "identify"},
    {UnitStep::CheckModel, "check-model"},
    {UnitStep::Read, "read"},
    {UnitStep::Apply, "apply"},
    {UnitStep::Restart, "restart"},
    {UnitStep::FindAgain, "find-again"},
    {UnitStep::ReadBack, "read-back"},
    {UnitStep::Compare, "compare"},
}};

}  // namespace

std::string_view UnitStepWord(UnitStep step) {
    for (const auto& [each, word] : kWords) {
        if (each == step) return word;
    }
    return "?";
}

std::optional<UnitStep> UnitStepFromWord(std::string_view word) {
    for (const auto& [step, each] : kWords) {
        if (each == word) return step;
    }
    return std::nullopt;
}

}  // namespace q470
