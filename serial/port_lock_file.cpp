#include "port_lock_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace q470 {
namespace {

constexpr const char* kDefaultLockFolder = "/var/lock";
constexpr const char* kLockFolderVariable = "Q470_LOCK_DIR";
constexpr const char* kLockPrefix = "LCK..";
// Ten columns and a newline, with room for stray blanks; anything longer is not a lock file.
constexpr std::size_t kLongestContent = 64;
constexpr std::size_t kMostDigits = 10;
constexpr int kUnreadableHolder = 0;

class PortLockCategoryImpl : public std::error_category {
public:
    const char* name() const noexcept override { return "q470.port_lock"; }
    std::string message(int holder) const override {
        if (holder == kUnreadableHolder) return "Device or resource busy: its lock file cannot be read";
        return "Device or resource busy: its lock file names process " + std::to_string(holder);
    }
    std::error_condition default_error_condition(int) const noexcept override {
        return std::errc::device_or_resource_busy;
    }
};

std::string FileName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A process that exists, even one this user may not signal, still holds its lock.
bool IsRunning(std::int32_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// Only a regular file is read: the lock folder is writable by everybody, and opening a device or a
// pipe left there could change a line or block.
std::optional<std::string> ReadLockFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat status {};
    std::optional<std::string> content;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        std::array<char, kLongestContent + 1> buffer{};
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n >= 0) content.emplace(buffer.data(), static_cast<std::size_t>(n));
    }
    ::close(fd);
    return content;
}

// The holder a lock file at `path` stands for, if any.
std::optional<int> Holder(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    const auto content = ReadLockFile(path);
    if (!content) return kUnreadableHolder;
    const auto pid = LockFileProcessId(*content);
    if (!pid || *pid == ::getpid() || !IsRunning(*pid)) return std::nullopt;
    return *pid;
}

}  // namespace

const std::error_category& PortLockCategory() {
    static const PortLockCategoryImpl category;
    return category;
}

std::string PortLockFolder() {
    const char* folder = std::getenv(kLockFolderVariable);
    return folder != nullptr && *folder != '\0' ? folder : kDefaultLockFolder;
}

std::vector<std::string> PortLockFileNames(const std::string& portName) {
    std::vector<std::string> names{kLockPrefix + FileName(portName)};
    if (char* resolved = ::realpath(portName.c_str(), nullptr)) {
        const std::string name = kLockPrefix + FileName(resolved);
        std::free(resolved);
        if (name != names.front()) names.push_back(name);
    }
    return names;
}

std::optional<std::int32_t> LockFileProcessId(std::string_view content) {
    const bool text = std::all_of(content.begin(), content.end(), [](char c) { return IsDigit(c) || IsBlank(c); });
    if (!text) {
        if (content.size() != sizeof(std::int32_t)) return std::nullopt;
        std::int32_t pid = 0;
        std::memcpy(&pid, content.data(), sizeof pid);
        return pid > 0 ? std::optional<std::int32_t>(pid) : std::nullopt;
    }
    while (!content.empty() && IsBlank(content.front())) content.remove_prefix(1);
    while (!content.empty() && IsBlank(content.back())) content.remove_suffix(1);
    if (content.empty() || content.size() > kMostDigits || !std::all_of(content.begin(), content.end(), IsDigit)) {
        return std::nullopt;
    }
    const long long pid = std::stoll(std::string(content));
    if (pid <= 0 || pid > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(pid);
}

std::error_code PortLockError(const std::string& portName) {
    const std::string folder = PortLockFolder();
    for (const auto& name : PortLockFileNames(portName)) {
        if (const auto holder = Holder(folder + "/" + name)) return {*holder, PortLockCategory()};
    }
    return {};
}

}  // namespace q470
