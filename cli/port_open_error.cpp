#include "port_open_error.h"

#include "port_open_refusal.h"

#ifndef _WIN32
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <vector>
#endif

namespace q470 {
namespace {

#ifndef _WIN32

// The user was added to the group after this session began: the groups of a session are fixed at login.
bool GroupAddedSinceLogin(const std::string& groupName) {
    const group* entry = ::getgrnam(groupName.c_str());
    const passwd* user = ::getpwuid(::getuid());
    if (entry == nullptr || user == nullptr || user->pw_name == nullptr) return false;
    const gid_t wanted = entry->gr_gid;
    const std::string userName = user->pw_name;
    const gid_t primary = user->pw_gid;
    int count = 64;
    std::vector<gid_t> member(static_cast<std::size_t>(count));
    if (::getgrouplist(userName.c_str(), primary, member.data(), &count) < 0) {
        member.resize(static_cast<std::size_t>(count));
        if (::getgrouplist(userName.c_str(), primary, member.data(), &count) < 0) return false;
    }
    member.resize(static_cast<std::size_t>(count));
    if (std::find(member.begin(), member.end(), wanted) == member.end()) return false;
    std::vector<gid_t> session(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    session.resize(
        static_cast<std::size_t>(std::max(::getgroups(static_cast<int>(session.size()), session.data()), 0)));
    return ::getegid() != wanted && std::find(session.begin(), session.end(), wanted) == session.end();
}

#endif

// Which group to join, where the device node says so; dialout, the usual one, otherwise.
std::string PermissionHint(const std::error_code& error, const CliText& text) {
    const std::string group = RefusedPortGroup(error);
    if (group.empty()) return text.Text(UiText::PortPermissionHint);
#ifndef _WIN32
    if (GroupAddedSinceLogin(group)) return text.Text(ToolText::PortGroupLoginHint, {group});
#endif
    return text.Text(ToolText::PortGroupHint, {group});
}

}  // namespace

std::string PortOpenError(const std::error_code& error, const CliText& text) {
    std::string why = text.Text(UiText::PortOpenFailed) + " ";
    if (error == std::errc::permission_denied) {
        why += error.message() + ". " + PermissionHint(error, text);
    } else if (error == std::errc::device_or_resource_busy) {
        why += error.message() + ". " + text.Text(UiText::PortBusyHint);
    } else if (error == std::errc::no_such_file_or_directory || error == std::errc::no_such_device) {
        why += text.Text(ToolText::NoSuchPort, {error.message()});
    } else {
        why += error.message() + ".";
    }
    return why;
}

}  // namespace q470
