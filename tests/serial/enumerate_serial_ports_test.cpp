#include "enumerate_serial_ports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#ifdef _WIN32
#include <windows.h>
#endif

namespace q470 {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const std::vector<SerialPortEntry>& ports) {
    std::vector<std::string> names;
    for (const auto& port : ports) {
        EXPECT_TRUE(port.secondText.empty());
        names.push_back(port.portName);
    }
    return names;
}

#ifndef _WIN32

class FakeSysfs : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/q470-sysfs-XXXXXX";
        root_ = ::mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(root_); }

    void AddTty(const std::string& name, bool withDevice, const char* uartType = nullptr) {
        fs::create_directories(root_ / name);
        if (withDevice) fs::create_directories(root_ / name / "device");
        if (uartType) std::ofstream(root_ / name / "type") << uartType << "\n";
    }

    fs::path root_;
};

TEST_F(FakeSysfs, RealDevicesOnlySorted) {
    AddTty("ttyUSB1", true);
    AddTty("ttyACM0", true);
    AddTty("ttyUSB0", true);
    AddTty("tty3", false);             // virtual terminal
    AddTty("console", false);
    AddTty("ttyS0", true, "4");        // a 16550A UART
    AddTty("ttyS1", true, "0");        // node without hardware
    AddTty("ttyS2", true);             // no type file: not listed
    std::vector<SerialPortEntry> ports{{"stale", "x"}};
    EXPECT_FALSE(EnumerateSysfsSerialPorts(root_.string(), ports));
    EXPECT_EQ(Names(ports), (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyUSB1"}));
}

TEST_F(FakeSysfs, MissingSysfsIsAnEmptyListNotAnError) {
    std::vector<SerialPortEntry> ports{{"stale", ""}};
    EXPECT_FALSE(EnumerateSysfsSerialPorts((root_ / "absent").string(), ports));
    EXPECT_TRUE(ports.empty());
}

#else

// The system's own list, with values added for the test: a port listed under two device names appears
// once, a value that is not a string is no port. Writing the key needs an administrator (wine's user is).
TEST(EnumerateSerialPorts, RegistryListWithoutDuplicatesOrOtherTypes) {
    std::vector<SerialPortEntry> before;
    ASSERT_FALSE(EnumerateSerialPorts(before));
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr, REG_OPTION_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        GTEST_SKIP() << "cannot write the SERIALCOMM key";
    }
    const wchar_t port[] = L"COM250";
    const wchar_t other[] = L"COM251";
    const auto set = [&](const wchar_t* name, DWORD type, const void* data, DWORD size) {
        EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    };
    set(L"\\Device\\Q470Test0", REG_SZ, port, sizeof port);
    set(L"\\Device\\Q470Test1", REG_SZ, port, sizeof port);
    set(L"\\Device\\Q470Test2", REG_BINARY, other, sizeof other);

    std::vector<SerialPortEntry> ports{{"stale", "x"}};
    const std::error_code error = EnumerateSerialPorts(ports);
    for (const wchar_t* name : {L"\\Device\\Q470Test0", L"\\Device\\Q470Test1", L"\\Device\\Q470Test2"}) {
        RegDeleteValueW(key, name);
    }
    RegCloseKey(key);

    EXPECT_FALSE(error) << error.message();
    // The registry's order is the system's business; only the set of names is checked.
    auto expected = Names(before);
    expected.push_back("COM250");
    auto names = Names(ports);
    std::sort(expected.begin(), expected.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
}

#endif

TEST(EnumerateSerialPorts, RuntimePortsFollowWithoutDuplicates) {
    RegisterRuntimePort("/dev/pts/91");
    RegisterRuntimePort("/dev/pts/90");
    RegisterRuntimePort("/dev/pts/91");
    std::vector<SerialPortEntry> ports;
    EXPECT_FALSE(EnumerateSerialPorts(ports));
    auto names = Names(ports);
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(names.end() - 2, names.end()),
              (std::vector<std::string>{"/dev/pts/91", "/dev/pts/90"}));
    UnregisterRuntimePort("/dev/pts/91");
    UnregisterRuntimePort("/dev/pts/90");
    EXPECT_FALSE(EnumerateSerialPorts(ports));
    for (const auto& name : Names(ports)) EXPECT_EQ(name.rfind("/dev/pts/9", 0), std::string::npos) << name;
}

}  // namespace
}  // namespace q470
