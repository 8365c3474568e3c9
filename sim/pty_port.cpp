#include "pty_port.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "port_close_watch.h"

namespace q470::sim {
namespace {

std::error_code LastError() {
    return {errno, std::system_category()};
}

bool AddFlags(int fd, int fdFlags, int statusFlags) {
    const int fdNow = ::fcntl(fd, F_GETFD);
    const int statusNow = ::fcntl(fd, F_GETFL);
    return fdNow >= 0 && statusNow >= 0 && ::fcntl(fd, F_SETFD, fdNow | fdFlags) == 0 &&
           ::fcntl(fd, F_SETFL, statusNow | statusFlags) == 0;
}

// No echo, no line editing, no CR/LF translation: the bytes pass as they are, as on a serial line.
bool MakeRaw(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) return false;
    ::cfmakeraw(&settings);
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

std::error_code PtyPort::Open() {
    Close();
    if (::openpty(&master_, &keptSlave_, nullptr, nullptr, nullptr) != 0) {
        const auto error = LastError();
        master_ = keptSlave_ = -1;
        return error;
    }
    std::array<char, 128> name{};
    if (!AddFlags(master_, FD_CLOEXEC, O_NONBLOCK) || !AddFlags(keptSlave_, FD_CLOEXEC, 0) || !MakeRaw(keptSlave_) ||
        ::ptsname_r(master_, name.data(), name.size()) != 0) {
        const auto error = LastError();
        Close();
        return error;
    }
    slavePath_ = name.data();
    watch_ = PortCloseWatch::Instance().Watch(slavePath_, keptSlave_);
    return {};
}

std::size_t PtyPort::UnreadByApplication() const {
    int unread = 0;
    if (keptSlave_ < 0 || ::ioctl(keptSlave_, FIONREAD, &unread) != 0 || unread < 0) return 0;
    return static_cast<std::size_t>(unread);
}

void PtyPort::Close() {
    PortCloseWatch::Instance().Unwatch(watch_);
    watch_ = -1;
    CloseFd(keptSlave_);
    CloseFd(master_);
}

}  // namespace q470::sim
