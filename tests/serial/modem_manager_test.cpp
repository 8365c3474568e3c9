#include "modem_manager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "temp_folder.h"

namespace q470 {
namespace {

#ifndef _WIN32

namespace fs = std::filesystem;

// Only a process folder (a number) whose command is exactly ModemManager counts.
TEST(ModemManager, FoundByItsProcessName) {
    struct Process {
        const char* folder;
        const char* comm;
    };
    struct Case {
        const char* name;
        std::vector<Process> processes;
        bool running;
    };
    const Case cases[] = {
        {"running", {{"1", "systemd\n"}, {"742", "ModemManager\n"}}, true},
        {"not running", {{"1", "systemd\n"}, {"743", "NetworkManager\n"}}, false},
        {"a folder that is no process", {{"self", "ModemManager\n"}}, false},
        {"a name it only starts with", {{"744", "ModemManagerX\n"}}, false},
        {"no processes", {}, false},
    };
    for (const auto& c : cases) {
        test::TempFolder proc;
        for (const auto& process : c.processes) {
            fs::create_directories(proc.Root() / process.folder);
            std::ofstream(proc.Root() / process.folder / "comm") << process.comm;
        }
        EXPECT_EQ(ModemManagerRunningIn(proc.Path()), c.running) << c.name;
    }
    EXPECT_FALSE(ModemManagerRunningIn("/q470-no-such-folder"));
}

#endif

}  // namespace
}  // namespace q470
