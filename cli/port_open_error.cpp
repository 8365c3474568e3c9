#include "port_open_error.h"

namespace q470 {

std::string PortOpenError(const std::error_code& error, const CliText& text) {
    std::string why = text.Text(UiText::PortOpenFailed) + " ";
    if (error == std::errc::permission_denied) {
        why += error.message() + ". " + text.Text(UiText::PortPermissionHint);
    } else if (error == std::errc::device_or_resource_busy) {
        why += error.message() + ". " + text.Text(UiText::PortBusyHint);
    } else if (error == std::errc::no_such_file_or_directory || error == std::errc::no_such_device) {
        why += text.Text(ToolText::NoSuchPort, {error.message()});
    } else {
        why += error.message() + ".";
    }
    return why;
}

}  // namespace q470
