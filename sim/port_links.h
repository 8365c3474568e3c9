#pragma once

#include <string>

namespace q470::sim {

// Symbolic links that stand for a simulated device's port as udev's names stand for a USB device: a
// stable one (a /dev/serial/by-id or by-path name) and one that plays the kernel's name (/dev/ttyACM0),
// which a pseudo-terminal cannot keep from one opening to the next. Made when the port appears, removed
// when it goes; missing folders are made as udev makes them. Either name may be empty (no such link).
class PortLinks {
public:
    PortLinks() = default;
    ~PortLinks() { Remove(); }
    PortLinks(const PortLinks&) = delete;
    PortLinks& operator=(const PortLinks&) = delete;

    void SetNames(std::string stable, std::string kernel);
    // Points the links at `target`, each replaced in one step. A name taken by anything but a link is
    // left alone: false, with the reason in `error`.
    bool Make(const std::string& target, std::string* error = nullptr);
    // Removes the links that still lead where Make pointed them.
    void Remove();
    // The kernel gives a device that comes back while its old name is still held the next number.
    void NextKernelName();

    const std::string& Stable() const { return stable_; }
    const std::string& Kernel() const { return kernel_; }

private:
    bool MakeOne(const std::string& link, const std::string& target, std::string* error);

    std::string stable_;
    std::string kernel_;
    std::string target_;  // where the links lead; empty while none is made
};

}  // namespace q470::sim
