#include "enumerate_serial_ports.h"

#include <algorithm>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>

#include <fstream>
#endif

namespace q470 {
namespace {

std::mutex& RuntimePortsMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<std::string>& RuntimePorts() {
    static std::vector<std::string> ports;
    return ports;
}

void AppendUnique(std::vector<SerialPortEntry>& ports, const std::string& name) {
    const bool present =
        std::any_of(ports.begin(), ports.end(), [&](const SerialPortEntry& e) { return e.portName == name; });
    if (!present && !name.empty()) ports.push_back({name, {}});
}

void AppendRuntimePorts(std::vector<SerialPortEntry>& ports) {
    std::lock_guard<std::mutex> lock(RuntimePortsMutex());
    for (const auto& name : RuntimePorts()) AppendUnique(ports, name);
}

#ifdef _WIN32

std::error_code SystemError(LSTATUS status) {
    return {static_cast<int>(status), std::system_category()};
}

std::error_code EnumerateRegistry(std::vector<SerialPortEntry>& ports) {
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_FILE_NOT_FOUND) return {};
    if (status != ERROR_SUCCESS) return SystemError(status);
    DWORD maxName = 0;
    DWORD maxData = 0;
    status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData,
                              nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        RegCloseKey(key);
        return SystemError(status);
    }
    std::vector<wchar_t> name(maxName + 1);
    std::vector<BYTE> data(maxData + sizeof(wchar_t));
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = maxData;
        DWORD type = 0;
        status = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataLength);
        if (status != ERROR_SUCCESS) break;
        if (type != REG_SZ) continue;
        const auto* text = reinterpret_cast<const wchar_t*>(data.data());
        const int chars = static_cast<int>(dataLength / sizeof(wchar_t));
        const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, chars, nullptr, 0, nullptr, nullptr);
        if (length <= 0) continue;
        std::string narrow(static_cast<std::size_t>(length), '\0');
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, chars, narrow.data(), length, nullptr, nullptr);
        narrow.erase(std::find(narrow.begin(), narrow.end(), '\0'), narrow.end());
        AppendUnique(ports, narrow);
    }
    RegCloseKey(key);
    return {};
}

#else

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// A legacy ttyS* node exists for every possible 8250 port; only a nonzero UART type means hardware.
bool HasUart(const std::string& ttyDir) {
    std::ifstream type(ttyDir + "/type");
    int value = 0;
    return type >> value && value != 0;
}

#endif

}  // namespace

#ifndef _WIN32
// The sysfs folder is a parameter so tests can give a fake tree.
std::error_code EnumerateSysfsSerialPorts(const std::string& sysClassTty, std::vector<SerialPortEntry>& ports) {
    ports.clear();
    DIR* dir = ::opendir(sysClassTty.c_str());
    if (dir == nullptr) return {};  // no sysfs: no hardware ports
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string ttyDir = sysClassTty + "/" + name;
        if (!Exists(ttyDir + "/device")) continue;  // virtual terminals have no device behind them
        if (name.rfind("ttyS", 0) == 0 && !HasUart(ttyDir)) continue;
        names.push_back("/dev/" + name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (const auto& name : names) ports.push_back({name, {}});
    return {};
}
#endif

std::error_code EnumerateSerialPorts(std::vector<SerialPortEntry>& ports) {
    ports.clear();
#ifdef _WIN32
    const std::error_code error = EnumerateRegistry(ports);
#else
    const std::error_code error = EnumerateSysfsSerialPorts("/sys/class/tty", ports);
#endif
    AppendRuntimePorts(ports);
    return error;
}

void RegisterRuntimePort(const std::string& portName) {
    std::lock_guard<std::mutex> lock(RuntimePortsMutex());
    auto& ports = RuntimePorts();
    if (std::find(ports.begin(), ports.end(), portName) == ports.end()) ports.push_back(portName);
}

void UnregisterRuntimePort(const std::string& portName) {
    std::lock_guard<std::mutex> lock(RuntimePortsMutex());
    auto& ports = RuntimePorts();
    ports.erase(std::remove(ports.begin(), ports.end(), portName), ports.end());
}

}  // namespace q470
