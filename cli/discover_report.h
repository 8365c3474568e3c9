#pragma once

#include <ostream>
#include <vector>

#include "cli_text.h"
#include "line_json.h"
#include "port_discovery.h"

namespace q470 {

// The "discovery" record of one port: what the search found, where, and what the device said it is.
void WriteDiscoveryJson(ReportJson& json, const PortDiscovery& result);

// `q470ctl discover`: one table row per port, or with --json one document with a record per port.
void WriteDiscoveryReport(const std::vector<PortDiscovery>& results, bool json, int exitStatus, std::ostream& out);

// What went wrong on a port, for the error stream; empty when nothing did.
std::string DiscoveryProblem(const PortDiscovery& result, const CliText& text);

}  // namespace q470
