#include "port_names.h"

#include <algorithm>

#ifndef _WIN32
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace q470 {

#ifdef _WIN32

std::vector<std::string> StableLinkFolders() {
    return {};
}

PortNode NodeOf(const std::string&) {
    return {};
}

#else

std::vector<std::string> StableLinkFolders() {
    return {"/dev/serial/by-id", "/dev/serial/by-path"};
}

PortNode NodeOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISCHR(status.st_mode)) return {};
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino), true};
}

#endif

PortNames CollectPortNames(const std::string& portName, const std::vector<std::string>& linkFolders) {
    PortNames names{portName, {}, NodeOf(portName)};
#ifndef _WIN32
    if (!names.node.known) return names;
    for (const auto& folder : linkFolders) {
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr) continue;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            const std::string link = folder + "/" + name;
            if (link != portName && NodeOf(link) == names.node) names.stableLinks.push_back(link);
        }
        ::closedir(dir);
    }
    std::sort(names.stableLinks.begin(), names.stableLinks.end());
#else
    (void)linkFolders;
#endif
    return names;
}

}  // namespace q470
