#pragma once

#include <string>
#include <system_error>

#include "cli_text.h"

namespace q470 {

// Why a port did not open, with what to do about it where that is known (permission, naming the group
// that owns the port where the refusal knows it; busy; missing).
std::string PortOpenError(const std::error_code& error, const CliText& text);

}  // namespace q470
