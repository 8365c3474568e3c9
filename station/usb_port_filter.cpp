#include "usb_port_filter.h"

#include <array>

namespace q470 {

bool IsUsbSerialName(std::string_view name) {
    constexpr std::array<std::string_view, 2> kPrefixes{"ttyUSB", "ttyACM"};
    for (const auto prefix : kPrefixes) {
        if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) continue;
        const std::string_view number = name.substr(prefix.size());
        if (number.find_first_not_of("0123456789") == std::string_view::npos) return true;
    }
    return false;
}

std::optional<PortEvent> UsbPortEvent(std::string_view action, std::string_view name, std::string_view node) {
    if (!IsUsbSerialName(name)) return std::nullopt;
    PortEvent event;
    if (action == "add") {
        event.kind = PortEvent::Kind::Appeared;
    } else if (action == "remove") {
        event.kind = PortEvent::Kind::Vanished;
    } else {
        return std::nullopt;  // "change", "bind", ...: the port stays what it was
    }
    event.port = node.empty() ? "/dev/" + std::string(name) : std::string(node);
    return event;
}

}  // namespace q470
