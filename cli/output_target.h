#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli_text.h"

namespace q470 {

// Why the tool must not write a file (a saved configuration, a trace) where an argument points.
struct TargetRefusal {
    enum class Reason {
        DescriptorNotOpen,  // /dev/fd/N or /proc/self/fd/N of a descriptor the tool was not given
        SerialPort,         // a serial port of the run: `port` names it
        Terminal,           // a terminal other than the tool's own: another serial port, a console
    };
    Reason reason;
    std::string port;
};

// Checks where `argument` points (followed through symbolic links and descriptor names) against the
// run's `ports`: nothing when the file may be written there. The tool's own standard streams, and its
// controlling terminal (/dev/tty), may be written, unless one of them is a port of the run. Checked
// before anything is opened for the run, a descriptor name also tells a stream the tool was given from
// one it opened itself: it must be open already.
std::optional<TargetRefusal> RefusedTarget(const std::string& argument, const std::vector<std::string>& ports);

// "q470r.json: ..." for people, the argument's bytes shown printable.
std::string TargetRefusalText(const TargetRefusal& refusal, const std::string& argument, const CliText& text);

}  // namespace q470
