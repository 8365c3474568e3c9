#include "save_file_name.h"

#include <map>

namespace q470 {
namespace {

constexpr const char* kPortPlaceholder = "{port}";

std::string PortBaseName(const std::string& port) {
    const auto slash = port.find_last_of('/');
    return slash == std::string::npos ? port : port.substr(slash + 1);
}

}  // namespace

std::string FileForPort(const std::string& file, const std::string& port) {
    std::string path = file;
    const std::string placeholder = kPortPlaceholder;
    const std::string name = PortBaseName(port);
    for (auto at = path.find(placeholder); at != std::string::npos; at = path.find(placeholder, at)) {
        path.replace(at, placeholder.size(), name);
        at += name.size();
    }
    return path;
}

std::optional<SaveFileClash> FindSaveFileClash(const std::string& file, const std::vector<std::string>& ports) {
    std::map<std::string, const std::string*> taken;
    for (const auto& port : ports) {
        const std::string name = FileForPort(file, port);
        const auto [earlier, added] = taken.emplace(name, &port);
        if (!added) return SaveFileClash{*earlier->second, port, name};
    }
    return std::nullopt;
}

}  // namespace q470
