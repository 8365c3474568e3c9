#include "modem_manager.h"

#ifndef _WIN32
#include <dirent.h>

#include <fstream>
#endif

namespace q470 {

#ifdef _WIN32

bool ModemManagerRunning() {
    return false;
}

#else

namespace {

constexpr const char* kProcFolder = "/proc";
constexpr const char* kProcessName = "ModemManager";

bool IsProcessFolder(const std::string& name) {
    return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

bool ModemManagerRunningIn(const std::string& procFolder) {
    DIR* dir = ::opendir(procFolder.c_str());
    if (dir == nullptr) return false;
    bool running = false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!IsProcessFolder(name)) continue;
        std::ifstream comm(procFolder + "/" + name + "/comm");
        std::string command;
        if (std::getline(comm, command) && command == kProcessName) {
            running = true;
            break;
        }
    }
    ::closedir(dir);
    return running;
}

bool ModemManagerRunning() {
    return ModemManagerRunningIn(kProcFolder);
}

#endif

}  // namespace q470
