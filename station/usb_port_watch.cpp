#include "usb_port_watch.h"

#include <dirent.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

#ifdef Q470_HAVE_LIBUDEV
#include <libudev.h>
#endif

#include "usb_port_filter.h"

namespace q470 {

UsbPortWatch::UsbPortWatch(Options options) : options_(std::move(options)) {}

UsbPortWatch::~UsbPortWatch() {
    Stop();
}

// udev's messages come after it has made the device node and its links and set their permissions; the
// kernel's come before. Without a udev daemon the kernel's are all there is, and the nodes are the
// kernel's own (devtmpfs).
bool UsbPortWatch::OpenMonitor() {
#ifdef Q470_HAVE_LIBUDEV
    if (options_.forcePolling) return false;
    udev_ = udev_new();
    if (udev_ == nullptr) return false;
    const char* source = access("/run/udev/control", F_OK) == 0 ? "udev" : "kernel";
    monitor_ = udev_monitor_new_from_netlink(udev_, source);
    if (monitor_ == nullptr || udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        CloseMonitor();
        return false;
    }
    return true;
#else
    return false;
#endif
}

void UsbPortWatch::CloseMonitor() {
#ifdef Q470_HAVE_LIBUDEV
    if (monitor_ != nullptr) udev_monitor_unref(monitor_);
    if (udev_ != nullptr) udev_unref(udev_);
#endif
    monitor_ = nullptr;
    udev_ = nullptr;
}

std::set<std::string> UsbPortWatch::Listed() const {
    std::set<std::string> ports;
    DIR* folder = opendir(options_.deviceFolder.c_str());
    if (folder == nullptr) return ports;
    while (const dirent* entry = readdir(folder)) {
        if (IsUsbSerialName(entry->d_name)) ports.insert(options_.deviceFolder + "/" + entry->d_name);
    }
    closedir(folder);
    return ports;
}

bool UsbPortWatch::Start(Sink sink, std::error_code& error) {
    Stop();
    wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_ < 0) {
        error = std::error_code(errno, std::generic_category());
        return false;
    }
    sink_ = std::move(sink);
    // Listening before the first look: a port that appears in between is told, perhaps twice, never
    // missed (the station takes a second "appeared" for a present port as nothing new).
    OpenMonitor();
    present_ = Listed();
    thread_ = std::thread([this, initial = present_] {
        if (options_.includePresent) {
            for (const auto& port : initial) sink_(PortEvent{PortEvent::Kind::Appeared, port});
        }
        Run();
    });
    return true;
}

void UsbPortWatch::Stop() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(wake_, &one, sizeof one);
        thread_.join();
    }
    CloseMonitor();
    if (wake_ >= 0) close(wake_);
    wake_ = -1;
}

void UsbPortWatch::Receive() {
#ifdef Q470_HAVE_LIBUDEV
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        const char* action = udev_device_get_action(device);
        const char* name = udev_device_get_sysname(device);
        const char* node = udev_device_get_devnode(device);
        const auto event =
            UsbPortEvent(action != nullptr ? action : "", name != nullptr ? name : "", node != nullptr ? node : "");
        udev_device_unref(device);
        if (event) sink_(*event);
    }
#endif
}

void UsbPortWatch::LookAgain() {
    const std::set<std::string> now = Listed();
    for (const auto& port : present_) {
        if (now.count(port) == 0) sink_(PortEvent{PortEvent::Kind::Vanished, port});
    }
    for (const auto& port : now) {
        if (present_.count(port) == 0) sink_(PortEvent{PortEvent::Kind::Appeared, port});
    }
    present_ = now;
}

void UsbPortWatch::Run() {
    for (;;) {
        pollfd waits[2] = {{wake_, POLLIN, 0}, {-1, POLLIN, 0}};
#ifdef Q470_HAVE_LIBUDEV
        if (monitor_ != nullptr) waits[1].fd = udev_monitor_get_fd(monitor_);
#endif
        const int timeout = monitor_ != nullptr ? -1 : static_cast<int>(options_.pollInterval.count());
        const int ready = poll(waits, 2, timeout);
        if (ready < 0 && errno == EINTR) continue;
        if (waits[0].revents != 0) return;
        if (monitor_ != nullptr) {
            if ((waits[1].revents & POLLIN) != 0) Receive();
        } else {
            LookAgain();
        }
    }
}

}  // namespace q470
