#pragma once

#include <optional>
#include <string>
#include <vector>

namespace q470 {

// The file a port's configuration is saved to: every "{port}" in the argument replaced by the last part
// of the port's name ("cfg_{port}.json" on /dev/ttyUSB0 is "cfg_ttyUSB0.json").
std::string FileForPort(const std::string& file, const std::string& port);

// Two ports of one run whose configurations would go to the same file, the second overwriting the first.
struct SaveFileClash {
    std::string first;
    std::string second;
    std::string file;
};

std::optional<SaveFileClash> FindSaveFileClash(const std::string& file, const std::vector<std::string>& ports);

}  // namespace q470
