#pragma once

#include <system_error>

namespace q470 {

// What the platform's refusal to open a port (system category) means to the channel's owner: an error
// equal to std::errc::device_or_resource_busy where the platform says that another program holds the
// port, the refusal itself otherwise.
std::error_code PortOpenRefusal(const std::error_code& refusal);

}  // namespace q470
