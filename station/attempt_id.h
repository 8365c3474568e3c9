#pragma once

#include <string>

namespace q470 {

// A new random identity for an attempt at a unit (a version 4 UUID, "1b4e28ba-2fa1-41d2-a83e-..."),
// made by the station itself so that the attempt keeps it whatever store and row number it ends up in.
// Empty when the system has no randomness to give.
std::string NewAttemptId();

}  // namespace q470
