#include "port_return_watch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/inotify.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <optional>
#include <vector>

namespace q470 {
namespace {

using Clock = std::chrono::steady_clock;

#ifdef __linux__
constexpr std::uint32_t kNameEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM | IN_ATTRIB | IN_DELETE_SELF | IN_ONLYDIR;
constexpr std::size_t kEventBufferBytes = 4096;
#endif

bool IsFolder(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string Parent(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The folder whose changes tell that `name` may have appeared: its own, or while that does not exist
// (udev removes /dev/serial/by-id with its last link), the nearest one above it that does.
std::string FolderToWatch(const std::string& name) {
    std::string folder = Parent(name);
    while (folder != "/" && folder != "." && !IsFolder(folder)) folder = Parent(folder);
    return folder;
}

int RoundUpMs(Clock::duration duration) {
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(duration).count();
    return static_cast<int>(std::max<decltype(ms)>(ms, 0));
}

}  // namespace

struct PortReturnWatch::Impl {
    explicit Impl(PortNames portNames) : names(std::move(portNames)) {
        candidates.push_back(names.openedAs);
        candidates.insert(candidates.end(), names.stableLinks.begin(), names.stableLinks.end());
        seenGone.assign(candidates.size(), false);
        if (::pipe(wake.data()) == 0) {
            for (const int fd : wake) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
            ::fcntl(wake[0], F_SETFL, O_NONBLOCK);
        } else {
            wake = {-1, -1};
        }
#ifdef __linux__
        inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
#endif
    }
    ~Impl() {
        for (const int fd : {wake[0], wake[1], inotify}) {
            if (fd >= 0) ::close(fd);
        }
    }

    std::optional<std::string> Look();
    void WatchFolders();
    // False when cancelled.
    bool Sleep(Clock::time_point deadline);
    void DrainEvents();

    PortNames names;
    std::vector<std::string> candidates;  // the name it was opened with, then its stable links
    std::vector<bool> seenGone;
    std::atomic<bool> cancelled{false};
    std::array<int, 2> wake{-1, -1};  // Cancel writes a byte
    int inotify = -1;
};

std::optional<std::string> PortReturnWatch::Impl::Look() {
    std::vector<PortNode> nodes(candidates.size());
    std::vector<bool> back(candidates.size(), false);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        nodes[i] = NodeOf(candidates[i]);
        if (!nodes[i].known) seenGone[i] = true;
        back[i] = nodes[i].known && (seenGone[i] || nodes[i] != names.node);
    }
    const auto link = std::find(back.begin() + 1, back.end(), true);
    if (link == back.end()) return back[0] ? std::optional<std::string>(candidates[0]) : std::nullopt;
    const std::size_t index = static_cast<std::size_t>(link - back.begin());
    return back[0] && nodes[0] == nodes[index] ? candidates[0] : candidates[index];
}

void PortReturnWatch::Impl::WatchFolders() {
#ifdef __linux__
    if (inotify < 0) return;
    // Adding a folder watched already only renews its watch; a removed folder's watch goes by itself.
    for (const auto& name : candidates) ::inotify_add_watch(inotify, FolderToWatch(name).c_str(), kNameEvents);
#endif
}

bool PortReturnWatch::Impl::Sleep(Clock::time_point deadline) {
    const auto now = Clock::now();
    const int timeout = RoundUpMs(std::min<Clock::duration>(deadline - now, kPollInterval));
    std::array<pollfd, 2> fds{{{wake[0], POLLIN, 0}, {inotify, POLLIN, 0}}};
    const nfds_t count = inotify >= 0 ? 2 : 1;
    if (::poll(fds.data(), count, timeout) < 0 && errno != EINTR) {
        // Without a way to wait for events, the wait falls back to sleeping the poll interval.
        ::usleep(static_cast<useconds_t>(timeout) * 1000);
    }
    if (cancelled) return false;
    if (count == 2 && fds[1].revents != 0) DrainEvents();
    return true;
}

void PortReturnWatch::Impl::DrainEvents() {
#ifdef __linux__
    alignas(inotify_event) std::array<char, kEventBufferBytes> buffer;
    while (::read(inotify, buffer.data(), buffer.size()) > 0) {
    }
#endif
}

PortReturnWatch::PortReturnWatch(PortNames names) : impl_(std::make_unique<Impl>(std::move(names))) {}

PortReturnWatch::~PortReturnWatch() = default;

PortReturn PortReturnWatch::Wait(std::chrono::milliseconds budget) {
    Impl& w = *impl_;
    const auto deadline = Clock::now() + budget;
    for (;;) {
        if (w.cancelled) return {PortReturn::Outcome::Cancelled, {}};
        // Watched before looking, so that a name appearing in between is not missed.
        w.WatchFolders();
        if (auto name = w.Look()) return {PortReturn::Outcome::Back, std::move(*name)};
        if (Clock::now() >= deadline) return {PortReturn::Outcome::TimedOut, {}};
        if (!w.Sleep(deadline)) return {PortReturn::Outcome::Cancelled, {}};
    }
}

void PortReturnWatch::Cancel() {
    impl_->cancelled = true;
    const char byte = 0;
    if (impl_->wake[1] >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(impl_->wake[1], &byte, 1);
    }
}

}  // namespace q470
