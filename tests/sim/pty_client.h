#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <string_view>

namespace q470::sim {

// The application's end of the simulated modem's line, on plain descriptors: opened like a serial
// port, raw, read with poll.
class PtyClient {
public:
    explicit PtyClient(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        termios settings{};
        if (fd_ >= 0 && ::tcgetattr(fd_, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::cfsetspeed(&settings, B9600);  // the simulated device's own line rate
            ::tcsetattr(fd_, TCSANOW, &settings);
        }
    }
    ~PtyClient() { Close(); }
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // The line rate and stop bits the application end is set to, as a serial port's would be.
    void SetLine(speed_t speed, bool twoStopBits = false) {
        termios settings{};
        ::tcgetattr(fd_, &settings);
        ::cfsetspeed(&settings, speed);
        settings.c_cflag = twoStopBits ? (settings.c_cflag | CSTOPB) : (settings.c_cflag & ~tcflag_t{CSTOPB});
        ::tcsetattr(fd_, TCSANOW, &settings);
    }
    int Fd() const { return fd_; }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    bool Write(std::string_view bytes) {
        return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Reads until what came ends with `suffix`, the line ends, or the time-out passes.
    std::string ReadUntil(const std::string& suffix, std::chrono::milliseconds timeout) {
        std::string received;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!EndsWith(received, suffix) && ReadSome(received, deadline)) {
        }
        return received;
    }

    // Everything that arrives within `window`.
    std::string ReadFor(std::chrono::milliseconds window) {
        std::string received;
        const auto deadline = std::chrono::steady_clock::now() + window;
        while (ReadSome(received, deadline)) {
        }
        return received;
    }

    // True when the far end hangs up (end of file or EIO) before the time-out; bytes before it go to `rest`.
    bool WaitForHangUp(std::chrono::milliseconds timeout, std::string* rest = nullptr) {
        std::string received;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (ReadSome(received, deadline)) {
        }
        if (rest) *rest = received;
        return hungUp_;
    }

    bool HungUp() const { return hungUp_; }

private:
    static bool EndsWith(const std::string& text, const std::string& suffix) {
        return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
    }

    // One poll and read; false on time-out or hang-up.
    bool ReadSome(std::string& received, std::chrono::steady_clock::time_point deadline) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || fd_ < 0) return false;
        pollfd fd{fd_, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0) return false;
        char buffer[512];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) {
            hungUp_ = n == 0 || errno == EIO;
            return false;
        }
        received.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    int fd_;
    bool hungUp_ = false;
};

}  // namespace q470::sim
