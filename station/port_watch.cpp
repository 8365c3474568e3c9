#include "port_watch.h"

#include "named_port_watch.h"
#include "usb_port_watch.h"

namespace q470 {

std::unique_ptr<PortWatch> MakePortWatch(const std::vector<std::string>& ports, bool includePresent) {
    if (!ports.empty()) return std::make_unique<NamedPortWatch>(ports);
    UsbPortWatch::Options options;
    options.includePresent = includePresent;
    return std::make_unique<UsbPortWatch>(options);
}

}  // namespace q470
