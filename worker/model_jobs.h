#pragma once

#include <cstdint>

namespace q470 {

// The Q470R and the KELDAN models are read and take their settings through jobs of their own; these
// pick a model's.
std::int32_t ReadJobOf(std::uint32_t modelKind);
std::int32_t ApplyGeneralJobOf(std::uint32_t modelKind);
std::int32_t ApplyFileJobOf(std::uint32_t modelKind);

}  // namespace q470
