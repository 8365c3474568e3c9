#pragma once

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>

#include "pty_port.h"

namespace q470::test {

// The device's end of a pseudo-terminal, written by the test itself, byte for byte: for streams the
// simulated modem would never send.
class RawDevice {
public:
    static constexpr std::chrono::seconds kHangGuard{10};

    RawDevice() { opened_ = !port_.Open(); }
    bool Opened() const { return opened_; }
    const std::string& Path() const { return port_.SlavePath(); }

    // Waits for room when the application is slow to read; false once the guard has passed.
    bool Write(std::string_view bytes) {
        const auto deadline = std::chrono::steady_clock::now() + kHangGuard;
        while (!bytes.empty() && std::chrono::steady_clock::now() < deadline) {
            const ssize_t n = ::write(port_.MasterFd(), bytes.data(), bytes.size());
            if (n > 0) {
                bytes.remove_prefix(static_cast<std::size_t>(n));
                continue;
            }
            pollfd ready{port_.MasterFd(), POLLOUT, 0};
            ::poll(&ready, 1, 10);
        }
        return bytes.empty();
    }

    // Reads one command, up to its CR. Bytes sent before the command would be discarded by it: the
    // answer starts once it is in.
    bool WaitForCommand(std::string* command = nullptr) {
        const auto deadline = std::chrono::steady_clock::now() + kHangGuard;
        for (char byte = 0; byte != '\r' && std::chrono::steady_clock::now() < deadline;) {
            if (::read(port_.MasterFd(), &byte, 1) == 1) {
                if (command) command->push_back(byte);
                continue;
            }
            pollfd ready{port_.MasterFd(), POLLIN, 0};
            ::poll(&ready, 1, 10);
        }
        return std::chrono::steady_clock::now() < deadline;
    }

    int MasterFd() const { return port_.MasterFd(); }

private:
    sim::PtyPort port_;
    bool opened_ = false;
};

}  // namespace q470::test
