#include "port_open_refusal.h"

#include <algorithm>
#include <array>

#ifdef _WIN32
#include <windows.h>
#else
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>
#endif

namespace q470 {
namespace {

#ifndef _WIN32

// A refusal for want of rights whose value is the group id of the port's device node. Its text is the
// system's own, so that nothing that shows the reason changes.
class PortPermissionCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "q470.port_permission"; }
    std::string message(int) const override { return std::generic_category().message(EACCES); }
    std::error_condition default_error_condition(int) const noexcept override { return std::errc::permission_denied; }
};

const std::error_category& PermissionCategory() {
    static const PortPermissionCategory category;
    return category;
}

// Joining root's group, or one that may not use the node, would not help.
std::error_code GroupRefusal(const std::string& portName) {
    struct stat node {};
    if (::stat(portName.c_str(), &node) != 0 || !S_ISCHR(node.st_mode) || node.st_gid == 0) return {};
    if ((node.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) return {};
    return {static_cast<int>(node.st_gid), PermissionCategory()};
}

#endif

}  // namespace

// On Windows a COM port that another program has open is refused with access denied, which the C++
// library takes for a question of rights; a sharing or a lock violation (as wine reports a port that a
// Linux program holds in exclusive mode) means the same. Elsewhere the platform already says busy.
std::error_code PortOpenRefusal(const std::error_code& refusal, [[maybe_unused]] const std::string& portName) {
#ifdef _WIN32
    constexpr std::array<int, 3> kHeldByAnother{ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION};
    if (refusal.category() == std::system_category() &&
        std::find(kHeldByAnother.begin(), kHeldByAnother.end(), refusal.value()) != kHeldByAnother.end()) {
        return std::make_error_code(std::errc::device_or_resource_busy);
    }
#else
    if (refusal == std::errc::permission_denied) {
        if (const auto group = GroupRefusal(portName)) return group;
    }
#endif
    return refusal;
}

std::string RefusedPortGroup([[maybe_unused]] const std::error_code& refusal) {
#ifndef _WIN32
    if (refusal.category() != PermissionCategory()) return {};
    group entry{};
    group* found = nullptr;
    std::vector<char> buffer(16384);
    while (::getgrgid_r(static_cast<gid_t>(refusal.value()), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (found != nullptr && found->gr_name != nullptr) return found->gr_name;
#endif
    return {};
}

}  // namespace q470
