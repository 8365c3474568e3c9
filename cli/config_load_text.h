#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli_text.h"
#include "config_exchange.h"

namespace q470 {

// The window's message for a configuration file that was not loaded, as the tool prints it: the same
// text first (string 125, the "(%d)" analysis message, the no-valid-values or wrong-product warning),
// then the lines that say why.
std::string ConfigLoadHeadline(const ConfigLoadOutcome& outcome, const CliText& text);
std::vector<std::string> ConfigLoadDetails(const ConfigLoadOutcome& outcome, std::uint32_t connectedModelKind,
                                           const CliText& text);

}  // namespace q470
