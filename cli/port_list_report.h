#pragma once

#include <optional>
#include <string>
#include <vector>

#include "enumerate_serial_ports.h"
#include "json_out.h"
#include "port_description.h"

namespace q470 {

struct DescribedPort {
    std::string port;
    PortDescription description;
};

// The listed ports, in the list's order, each with what is known about what is behind it.
std::vector<DescribedPort> DescribePorts(const std::vector<SerialPortEntry>& entries);

// The value of a ports record's "description": "text" (the one line `ports` prints, "" when nothing is
// known) and the parts it is made of, each "" (a number: null) when unknown.
void WritePortDescriptionJson(JsonOut& json, const PortDescription& description);

// The keys a ports record has after the ones every record has: "description" (null when none was
// taken) and "modemManagerRunning".
void WritePortsRecordJson(JsonOut& json, const std::optional<PortDescription>& description, bool modemManagerRunning);

}  // namespace q470
