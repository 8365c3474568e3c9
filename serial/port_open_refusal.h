#pragma once

#include <string>
#include <system_error>

namespace q470 {

// What the platform's refusal to open `portName` (system category) means to the channel's owner: an
// error equal to std::errc::device_or_resource_busy where the platform says that another program
// holds the port; on POSIX, for a want of rights, an error equal to std::errc::permission_denied that
// also knows the group that may open the port (RefusedPortGroup); the refusal itself otherwise.
std::error_code PortOpenRefusal(const std::error_code& refusal, const std::string& portName);

// The name of the group whose members may open the refused port: the device node's group, where that
// group may read and write it and is not root's. Empty when the refusal says no such thing.
std::string RefusedPortGroup(const std::error_code& refusal);

}  // namespace q470
