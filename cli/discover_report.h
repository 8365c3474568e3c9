#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli_text.h"
#include "json_out.h"
#include "port_discovery.h"
#include "port_outcome.h"

namespace q470 {

// One port's search as a port record: the outcome word and status of what was found, what went wrong
// for the error stream, and the device as far as it identified. `portGiven`: the port came from -p, so
// a port without a modem is a failure rather than an empty port.
PortOutcome DiscoveryRecord(const PortDiscovery& result, bool portGiven, const CliText& text);

// The value of a discover record's "discovery": where the device answered, the model name it gave, how
// many line settings were tried and how long the port took.
void WriteDiscoveryJson(JsonOut& json, const PortDiscovery& result);

// `q470ctl discover` as text: a table with one row per port, columns aligned on the terminal.
void WriteDiscoveryTable(const std::vector<PortOutcome>& records, const CliText& text, std::ostream& out);

}  // namespace q470
