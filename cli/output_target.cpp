#include "output_target.h"

#include "argument_path.h"
#include "narrow_text.h"
#include "standard_stream.h"
#include "terminal_text.h"

#ifdef _WIN32
#include <algorithm>
#include <cctype>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <array>
#include <climits>
#endif

namespace q470 {
namespace {

#ifdef _WIN32

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// COM ports are named, not found in a file system; the device namespace's prefix names the same port.
bool SamePortName(const std::string& argument, const std::string& port) {
    const std::string a = Lower(argument);
    const std::string p = Lower(port);
    const std::string device = "\\\\.\\";
    return a == p || a == device + p || device + a == p;
}

#else

constexpr unsigned kTerminalMajor = 5;  // /dev/tty, /dev/console, /dev/ptmx
constexpr unsigned kControllingTerminalMinor = 0;
constexpr std::array<int, 3> kStandardStreams{STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO};

// The kernel files each character device under its class; a serial port, a console and a virtual
// terminal are all of class tty. Nothing when the device is not listed there (a pseudo-terminal's
// slave is not).
std::optional<bool> ClassIsTty(dev_t device) {
    const std::string link =
        "/sys/dev/char/" + std::to_string(major(device)) + ":" + std::to_string(minor(device)) + "/subsystem";
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
    if (length <= 0) return std::nullopt;
    const std::string subsystem(target, static_cast<std::size_t>(length));
    return subsystem.size() >= 4 && subsystem.compare(subsystem.size() - 4, 4, "/tty") == 0;
}

// Without opening a device sysfs knows (opening a serial port raises its modem lines); a device it does
// not know is asked directly, without waiting and without becoming the controlling terminal.
bool IsTerminal(const std::string& path, dev_t device) {
    if (const auto tty = ClassIsTty(device)) return *tty;
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal;
}

bool IsOwnTerminal(dev_t device) {
    if (major(device) == kTerminalMajor && minor(device) == kControllingTerminalMinor) return true;
    for (const int fd : kStandardStreams) {
        struct stat stream {};
        if (::fstat(fd, &stream) == 0 && S_ISCHR(stream.st_mode) && stream.st_rdev == device && ::isatty(fd) == 1)
            return true;
    }
    return false;
}

#endif

}  // namespace

std::optional<TargetRefusal> RefusedTarget(const std::string& argument, const std::vector<std::string>& ports) {
#ifdef _WIN32
    for (const auto& port : ports) {
        if (SamePortName(argument, port)) return TargetRefusal{TargetRefusal::Reason::SerialPort, port};
    }
    return std::nullopt;
#else
    struct stat target {};
    const std::optional<int> descriptor = StandardStreamOf(argument, true);
    const std::string path = WideToNarrow(PathFromArgument(argument));
    if (descriptor) {
        if (::fstat(*descriptor, &target) != 0) return TargetRefusal{TargetRefusal::Reason::DescriptorNotOpen, {}};
    } else if (::stat(path.c_str(), &target) != 0) {
        return std::nullopt;  // nothing there yet: a new file
    }
    if (!S_ISCHR(target.st_mode)) return std::nullopt;
    for (const auto& port : ports) {
        struct stat device {};
        if (::stat(port.c_str(), &device) == 0 && S_ISCHR(device.st_mode) && device.st_rdev == target.st_rdev)
            return TargetRefusal{TargetRefusal::Reason::SerialPort, port};
    }
    if (IsOwnTerminal(target.st_rdev)) return std::nullopt;
    const bool terminal = descriptor ? ::isatty(*descriptor) == 1 : IsTerminal(path, target.st_rdev);
    if (terminal) return TargetRefusal{TargetRefusal::Reason::Terminal, {}};
    return std::nullopt;
#endif
}

std::string TargetRefusalText(const TargetRefusal& refusal, const std::string& argument, const CliText& text) {
    const std::string name = PrintableText(argument);
    switch (refusal.reason) {
        case TargetRefusal::Reason::DescriptorNotOpen:
            return text.Text(ToolText::TargetDescriptorNotOpen, {name});
        case TargetRefusal::Reason::SerialPort:
            return text.Text(ToolText::TargetIsPort, {name, PrintableText(refusal.port)});
        case TargetRefusal::Reason::Terminal:
            return text.Text(ToolText::TargetIsTerminal, {name});
    }
    return name;
}

}  // namespace q470
