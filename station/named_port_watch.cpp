#include "named_port_watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <set>

namespace q470 {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kFolderEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// Folders made one inside the other faster than they are armed (mkdir -p) take a round each.
constexpr std::size_t kArmRounds = 16;

bool IsFolder(const fs::path& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folder itself when it exists, otherwise the nearest one above it that does.
fs::path NearestFolder(fs::path folder) {
    while (!folder.empty() && !IsFolder(folder)) {
        const fs::path up = folder.parent_path();
        if (up == folder) break;
        folder = up;
    }
    return folder;
}

}  // namespace

NamedPortWatch::NamedPortWatch(std::vector<std::string> paths, std::chrono::milliseconds pollInterval,
                               bool forcePolling)
    : paths_(std::move(paths)), pollInterval_(pollInterval), forcePolling_(forcePolling), targets_(paths_.size()) {}

NamedPortWatch::~NamedPortWatch() {
    Stop();
}

bool NamedPortWatch::Notified() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !polling_;
}

bool NamedPortWatch::Start(Sink sink, std::error_code& error) {
    Stop();
    wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_ < 0) {
        error = std::error_code(errno, std::generic_category());
        return false;
    }
    if (!forcePolling_) inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        polling_ = inotify_ < 0;
    }
    sink_ = std::move(sink);
    targets_.assign(paths_.size(), Target{});
    thread_ = std::thread([this] { Run(); });
    return true;
}

void NamedPortWatch::Stop() {
    if (thread_.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(wake_, &one, sizeof one);
        thread_.join();
    }
    if (inotify_ >= 0) close(inotify_);
    if (wake_ >= 0) close(wake_);
    inotify_ = wake_ = -1;
    watches_.clear();
}

// The folder that holds the path (or the nearest one above it that exists), and for a link the folder
// its device is in (or will be in).
std::vector<std::string> NamedPortWatch::FoldersFor(const std::string& path) const {
    const fs::path name(path);
    const fs::path holder = name.parent_path().empty() ? fs::path(".") : name.parent_path();
    std::vector<std::string> folders{NearestFolder(holder).string()};
    char target[PATH_MAX];
    const ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
    if (length > 0) {
        fs::path device(std::string(target, static_cast<std::size_t>(length)));
        if (device.is_relative()) device = holder / device;
        std::error_code ignored;
        const fs::path resolved = fs::weakly_canonical(device, ignored);
        folders.push_back(NearestFolder((resolved.empty() ? device : resolved).parent_path()).string());
    }
    return folders;
}

bool NamedPortWatch::Arm() {
    if (inotify_ < 0) return false;
    std::set<std::string> wanted;
    for (const auto& path : paths_) {
        for (auto& folder : FoldersFor(path)) {
            if (!folder.empty()) wanted.insert(std::move(folder));
        }
    }
    for (auto it = watches_.begin(); it != watches_.end();) {
        if (wanted.count(it->first) == 0) {
            inotify_rm_watch(inotify_, it->second);
            it = watches_.erase(it);
        } else {
            ++it;
        }
    }
    bool all = true;
    // Adding a watch again is harmless (same descriptor) and picks up a folder made anew under the name.
    for (const auto& folder : wanted) {
        const int watch = inotify_add_watch(inotify_, folder.c_str(), kFolderEvents);
        if (watch >= 0) {
            watches_[folder] = watch;
        } else if (errno != ENOENT && errno != ENOTDIR) {
            all = false;  // no permission, or the system's limit on watches
        }
    }
    return all;
}

void NamedPortWatch::Look() {
    for (std::size_t i = 0; i < paths_.size(); ++i) {
        Target now;
        struct stat info {};
        if (stat(paths_[i].c_str(), &info) == 0 && S_ISCHR(info.st_mode))
            now = Target{true, info.st_dev, info.st_ino, info.st_rdev};
        const Target before = targets_[i];
        if (now == before) continue;
        targets_[i] = now;
        if (before.present) sink_(PortEvent{PortEvent::Kind::Vanished, paths_[i]});
        if (now.present) sink_(PortEvent{PortEvent::Kind::Appeared, paths_[i]});
    }
}

void NamedPortWatch::Run() {
    for (;;) {
        // Armed before looking: whatever changes after the look is told by an event. A folder made
        // while the one above it was being armed is taken on the next round.
        bool notified = Arm();
        for (std::size_t rounds = 0; rounds < kArmRounds; ++rounds) {
            const auto before = watches_;
            notified = Arm();
            if (watches_ == before) break;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            polling_ = !notified;
        }
        Look();
        pollfd waits[2] = {{wake_, POLLIN, 0}, {inotify_, POLLIN, 0}};
        const int count = inotify_ >= 0 ? 2 : 1;
        int ready;
        do {
            ready = poll(waits, count, notified ? -1 : static_cast<int>(pollInterval_.count()));
        } while (ready < 0 && errno == EINTR);
        if (waits[0].revents != 0) return;
        if (count == 2 && (waits[1].revents & POLLIN) != 0) {
            // What happened does not matter: the paths are looked at again.
            alignas(inotify_event) char buffer[4096];
            while (read(inotify_, buffer, sizeof buffer) > 0) {
            }
        }
    }
}

}  // namespace q470
