#include "port_close_watch.h"

#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cstring>

namespace q470::sim {
namespace {

constexpr std::size_t kEventBufferBytes = 4096;
constexpr std::uint32_t kClosed = IN_CLOSE_WRITE | IN_CLOSE_NOWRITE;

}  // namespace

PortCloseWatch& PortCloseWatch::Instance() {
    // Never destroyed: modems held in static objects may still unwatch during exit.
    static PortCloseWatch* const instance = new PortCloseWatch;
    return *instance;
}

PortCloseWatch::PortCloseWatch() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

int PortCloseWatch::Watch(const std::string& path, int keptSlave) {
    if (fd_ < 0) return -1;
    std::lock_guard<std::mutex> lock(mutex_);
    const int watch = ::inotify_add_watch(fd_, path.c_str(), kClosed);
    if (watch >= 0) keptSlaves_[watch] = keptSlave;
    return watch;
}

void PortCloseWatch::Unwatch(int watch) {
    if (watch < 0) return;
    std::lock_guard<std::mutex> lock(mutex_);
    ::inotify_rm_watch(fd_, watch);
    keptSlaves_.erase(watch);
}

void PortCloseWatch::OnReadable() {
    alignas(inotify_event) std::array<char, kEventBufferBytes> buffer;
    std::lock_guard<std::mutex> lock(mutex_);  // every serving thread polls the one descriptor
    for (ssize_t n; (n = ::read(fd_, buffer.data(), buffer.size())) > 0;) {
        for (std::size_t at = 0; at + sizeof(inotify_event) <= static_cast<std::size_t>(n);) {
            inotify_event event;
            std::memcpy(&event, buffer.data() + at, sizeof event);
            at += sizeof event + event.len;
            const auto kept = keptSlaves_.find(event.wd);
            if ((event.mask & kClosed) != 0 && kept != keptSlaves_.end()) ::ioctl(kept->second, TIOCNXCL);
        }
    }
}

}  // namespace q470::sim
