#pragma once

#include <ostream>
#include <vector>

#include "enumerate_serial_ports.h"
#include "line_json.h"
#include "port_description.h"

namespace q470 {

struct DescribedPort {
    std::string port;
    PortDescription description;
};

// The listed ports, in the list's order, each with what is known about what is behind it.
std::vector<DescribedPort> DescribePorts(const std::vector<SerialPortEntry>& entries);

// `q470ctl ports`: one port per line, its description after two spaces where one is known; or with
// --json an array with one object per port.
void WritePortList(const std::vector<DescribedPort>& ports, bool json, std::ostream& out);

// One port's object: "port", "description" (the one line of text, "" when nothing is known) and the
// parts it is made of.
void WritePortJson(ReportJson& json, const DescribedPort& port);

}  // namespace q470
