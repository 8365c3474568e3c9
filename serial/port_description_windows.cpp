// Port descriptions on Windows: the friendly name, maker, ids and driver service that the registry keeps
// for the device whose "PortName" is the port, read through the setup API.
#include <windows.h>
// The setup API needs the Windows types first.
#include <setupapi.h>

#include <vector>

#include "port_description.h"

namespace q470 {
namespace {

// The "Ports (COM & LPT)" device class.
const GUID kPortsClass = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// A string property of the device; the first string of a multi-string one.
std::wstring Property(HDEVINFO set, SP_DEVINFO_DATA& info, DWORD property) {
    std::vector<wchar_t> buffer(512, L'\0');
    DWORD type = 0;
    const DWORD size = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    if (!SetupDiGetDeviceRegistryPropertyW(set, &info, property, &type, reinterpret_cast<BYTE*>(buffer.data()), size,
                                           nullptr)) {
        return {};
    }
    return std::wstring(buffer.data());
}

std::wstring PortNameOf(HDEVINFO set, SP_DEVINFO_DATA& info) {
    HKEY key = SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return {};
    std::vector<wchar_t> buffer(64, L'\0');
    DWORD size = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    DWORD type = 0;
    const LSTATUS status =
        RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::wstring(buffer.data()) : std::wstring();
}

// The FTDI driver keeps the latency timer it uses beside the port name, in ms.
std::optional<int> LatencyTimerOf(HDEVINFO set, SP_DEVINFO_DATA& info) {
    HKEY key = SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return {};
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    const LSTATUS status =
        RegQueryValueExW(key, L"LatencyTimer", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD || value > 255) return {};
    return static_cast<int>(value);
}

// "USB\VID_0403&PID_6001&REV_0600" → the four hex digits after `tag`.
std::string IdAfter(const std::wstring& hardwareId, const wchar_t* tag) {
    const auto at = hardwareId.find(tag);
    if (at == std::wstring::npos) return {};
    return Utf8(hardwareId.substr(at + wcslen(tag), 4));
}

}  // namespace

PortDescription DescribeSerialPort(const std::string& portName) {
    PortDescription d;
    HDEVINFO set = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return d;
    const std::wstring wanted = Wide(portName);
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &info); ++index) {
        if (_wcsicmp(PortNameOf(set, info).c_str(), wanted.c_str()) != 0) continue;
        d.friendlyName = Utf8(Property(set, info, SPDRP_FRIENDLYNAME));
        d.vendor = Utf8(Property(set, info, SPDRP_MFG));
        d.driver = Utf8(Property(set, info, SPDRP_SERVICE));
        const std::wstring hardwareId = Property(set, info, SPDRP_HARDWAREID);
        d.vendorId = IdAfter(hardwareId, L"VID_");
        d.productId = IdAfter(hardwareId, L"PID_");
        d.latencyTimerMs = LatencyTimerOf(set, info);
        break;
    }
    SetupDiDestroyDeviceInfoList(set);
    return d;
}

}  // namespace q470
