// Port descriptions on Linux: udev first, the sysfs walk for the rest.
#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <memory>

#ifdef Q470_HAVE_LIBUDEV
#include <libudev.h>
#endif

#include "port_description.h"

namespace q470 {
namespace {

constexpr const char* kSysClassTty = "/sys/class/tty";
constexpr const char* kSerialLinkFolder = "/dev/serial";
constexpr const char* kByIdFolder = "/dev/serial/by-id";
constexpr const char* kByPathFolder = "/dev/serial/by-path";
// The FTDI driver's setting, in ms (1 to 255).
constexpr int kMaxLatencyTimerMs = 255;
// A USB adapter's tty sits a few folders below its USB device; beyond this the walk has left it.
constexpr int kMaxLevelsUp = 6;

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Parent(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

std::string FirstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

void Fill(std::string& field, const std::string& value) {
    if (field.empty()) field = value;
}

// The first (by name) link in `folder` that leads to the same device node as `portName`.
std::string LinkTo(const std::string& portName, const std::string& folder) {
    const std::string target = RealPath(portName);
    if (target.empty()) return {};
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return {};
    std::string found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string link = folder + "/" + name;
        if (RealPath(link) == target && (found.empty() || link < found)) found = link;
    }
    ::closedir(dir);
    return found;
}

// The driver that serves the port. The kernel's own serial core puts devices of its bus between a
// port and its hardware ("port", "ctrl"); their drivers say nothing about the hardware.
std::string DriverOf(const std::string& device) {
    std::string folder = device;
    for (int level = 0; level < kMaxLevelsUp && !folder.empty(); ++level, folder = Parent(folder)) {
        const std::string driver = RealPath(folder + "/driver");
        if (driver.empty()) continue;
        if (driver.find("/bus/serial-base/") == std::string::npos) return BaseName(driver);
    }
    return {};
}

// Only the drivers that have a latency timer (ftdi_sio) show the file; anything but a number in range is
// left out.
std::optional<int> LatencyTimer(const std::string& device) {
    const std::string text = FirstLine(device + "/latency_timer");
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) return {};
    const int ms = std::stoi(text);
    if (ms > kMaxLatencyTimerMs) return {};
    return ms;
}

void WalkSysfs(const std::string& portName, const std::string& sysClassTty, PortDescription& d) {
    // A stable name given as the port leads to the tty by the node's own name.
    const std::string node = RealPath(portName);
    const std::string device = RealPath(sysClassTty + "/" + BaseName(node.empty() ? portName : node) + "/device");
    if (device.empty()) return;
    Fill(d.driver, DriverOf(device));
    if (!d.latencyTimerMs) d.latencyTimerMs = LatencyTimer(device);
    std::string folder = device;
    for (int level = 0; level < kMaxLevelsUp && !folder.empty(); ++level, folder = Parent(folder)) {
        if (::access((folder + "/idVendor").c_str(), R_OK) != 0) continue;
        Fill(d.vendorId, FirstLine(folder + "/idVendor"));
        Fill(d.productId, FirstLine(folder + "/idProduct"));
        Fill(d.vendor, FirstLine(folder + "/manufacturer"));
        Fill(d.product, FirstLine(folder + "/product"));
        Fill(d.serialNumber, FirstLine(folder + "/serial"));
        return;
    }
}

#ifdef Q470_HAVE_LIBUDEV

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_device* device) const { udev_device_unref(device); }
};

void KeepFirst(std::string& field, const std::string& value) {
    if (field.empty() || value < field) field = value;
}

std::string Property(udev_device* device, const char* name) {
    const char* value = udev_device_get_property_value(device, name);
    return value ? value : "";
}

std::string Attribute(udev_device* device, const char* name) {
    const char* value = device ? udev_device_get_sysattr_value(device, name) : nullptr;
    return value ? value : "";
}

// udev's database names the vendor and product from its hardware database, and lists the by-id link.
void AskUdev(const std::string& portName, PortDescription& d) {
    const std::unique_ptr<udev, UdevDeleter> context(udev_new());
    if (!context) return;
    const std::string node = RealPath(portName);
    const std::unique_ptr<udev_device, UdevDeleter> tty(
        udev_device_new_from_subsystem_sysname(context.get(), "tty", BaseName(node.empty() ? portName : node).c_str()));
    if (!tty) return;
    Fill(d.vendor, Property(tty.get(), "ID_VENDOR_FROM_DATABASE"));
    Fill(d.product, Property(tty.get(), "ID_MODEL_FROM_DATABASE"));
    Fill(d.vendorId, Property(tty.get(), "ID_VENDOR_ID"));
    Fill(d.productId, Property(tty.get(), "ID_MODEL_ID"));
    Fill(d.serialNumber, Property(tty.get(), "ID_SERIAL_SHORT"));
    Fill(d.driver, Property(tty.get(), "ID_USB_DRIVER"));
    // A port may have several links in a folder (newer udev adds a second by-path form); the first by
    // name is shown, as the walk of the folders shows it.
    for (udev_list_entry* link = udev_device_get_devlinks_list_entry(tty.get()); link != nullptr;
         link = udev_list_entry_get_next(link)) {
        const std::string name = udev_list_entry_get_name(link);
        if (name.rfind(std::string(kByIdFolder) + "/", 0) == 0) KeepFirst(d.stableName, name);
        if (name.rfind(std::string(kByPathFolder) + "/", 0) == 0) KeepFirst(d.byPathName, name);
    }
    // The parent is owned by the tty device.
    udev_device* usb = udev_device_get_parent_with_subsystem_devtype(tty.get(), "usb", "usb_device");
    Fill(d.vendor, Attribute(usb, "manufacturer"));
    Fill(d.product, Attribute(usb, "product"));
    Fill(d.vendorId, Attribute(usb, "idVendor"));
    Fill(d.productId, Attribute(usb, "idProduct"));
    Fill(d.serialNumber, Attribute(usb, "serial"));
}

#endif

}  // namespace

PortDescription DescribeFromSysfs(const std::string& portName, const std::string& sysClassTty,
                                  const std::string& serialLinkFolder) {
    PortDescription d;
    WalkSysfs(portName, sysClassTty, d);
    d.stableName = LinkTo(portName, serialLinkFolder + "/by-id");
    d.byPathName = LinkTo(portName, serialLinkFolder + "/by-path");
    return d;
}

PortDescription DescribeSerialPort(const std::string& portName) {
    PortDescription d;
#ifdef Q470_HAVE_LIBUDEV
    AskUdev(portName, d);
#endif
    // Without a udev database (a container, a system without udev) sysfs still knows the adapter.
    const PortDescription walked = DescribeFromSysfs(portName, kSysClassTty, kSerialLinkFolder);
    Fill(d.vendor, walked.vendor);
    Fill(d.product, walked.product);
    Fill(d.vendorId, walked.vendorId);
    Fill(d.productId, walked.productId);
    Fill(d.serialNumber, walked.serialNumber);
    Fill(d.driver, walked.driver);
    Fill(d.stableName, walked.stableName);
    Fill(d.byPathName, walked.byPathName);
    d.latencyTimerMs = walked.latencyTimerMs;
    return d;
}

}  // namespace q470
