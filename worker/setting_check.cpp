#include "setting_check.h"

#include <algorithm>

#include "command_id.h"
#include "line_choices.h"
#include "setting_table.h"

namespace q470 {
namespace {

SettingCheck Check(Setting setting, std::uint32_t written, std::uint8_t pin = 0) {
    SettingCheck check;
    check.setting = setting;
    check.written = written;
    check.pin = pin;
    return check;
}

SettingCheck UartCheck(std::uint32_t baudRate, std::uint8_t dataBits, std::uint8_t parity, std::uint8_t stopBits) {
    SettingCheck check = Check(Setting::BaudRate, baudRate);
    check.writtenLine = LineOfDeviceUart(baudRate, dataBits, parity, stopBits);
    return check;
}

// Keeps one check per setting (and pin): the last written is what the device holds.
void Put(std::vector<SettingCheck>& checks, const SettingCheck& check) {
    const auto same = std::find_if(checks.begin(), checks.end(), [&](const SettingCheck& c) {
        return c.setting == check.setting && c.pin == check.pin;
    });
    if (same == checks.end()) {
        checks.push_back(check);
    } else {
        *same = check;
    }
}

// The commands the file apply job of each model sends; it skips the others.
bool SentToModel(std::int32_t command, bool q470r) {
    switch (command) {
        case CmdOpModeSet:
        case CmdUartSet:
        case CmdQuietModeSet:
            return true;
        case CmdNetRoleSet:
        case CmdRfChannelSet:
        case CmdPanIdSet:
        case CmdGpioConfigSet:
        case CmdGpioPeriodicSet:
            return q470r;
        case CmdUserPanIdSet:
            return !q470r;
        default:
            return false;
    }
}

void PutItem(std::vector<SettingCheck>& checks, const SettingItem& item) {
    switch (item.command) {
        case CmdOpModeSet:
            return Put(checks, Check(Setting::OpMode, item.opMode));
        case CmdNetRoleSet:
            return Put(checks, Check(Setting::NetRole, item.netRole));
        case CmdRfChannelSet:
            return Put(checks, Check(Setting::RfChannel, item.rfChannel));
        case CmdPanIdSet:
            return Put(checks, Check(Setting::PanId, item.panId));
        case CmdUserPanIdSet:
            return Put(checks, Check(Setting::UserPanId, item.userPanId));
        case CmdUartSet:
            return Put(checks, UartCheck(item.baudRate, item.dataBits, item.parity, item.stopBits));
        case CmdGpioConfigSet:
            return Put(checks, Check(Setting::GpioPin, GpioPinValue(item.ioMode, item.pinConfig), item.pin));
        case CmdGpioPeriodicSet:
            Put(checks, Check(Setting::ReportInterval, item.reportInterval));
            return Put(checks, Check(Setting::SendRemote, item.sendRemote ? 1 : 0));
        case CmdQuietModeSet:
            return Put(checks, Check(Setting::QuietMode, item.quietMode ? 1 : 0));
        default:
            return;
    }
}

std::uint32_t ReadBackOf(const SettingCheck& check, const DeviceState& state, std::uint8_t quietMode) {
    switch (check.setting) {
        case Setting::OpMode:
            return state.info.mode;
        case Setting::NetRole:
            return state.info.role;
        case Setting::PanId:
            return state.network.panId;
        case Setting::UserPanId:
            return state.network.userPanId;
        case Setting::PhyId:
            return state.network.phyId;
        case Setting::RfChannel:
            return state.network.rfChannel;
        case Setting::QuietMode:
            return quietMode;
        case Setting::RxPullUp:
            return state.rxPullUp;
        case Setting::GpioPin: {
            const GpioEntry& entry = state.gpio[check.pin < state.gpio.size() ? check.pin : 0];
            return GpioPinValue(entry.ioMode, entry.pinConfig);
        }
        case Setting::ReportInterval:
            return state.reportInterval;
        case Setting::SendRemote:
            return state.sendRemote & 0xFFu;
        default:  // the UART, compared by its line
            return 0;
    }
}

}  // namespace

bool SettingCheck::IsLine() const {
    return RowOf(setting).readBack == ReadBack::Line;
}

bool SettingCheck::Matches() const {
    if (IsLine()) return readBackLine && SameLine(*readBackLine, writtenLine);
    return readBack && *readBack == written;
}

std::uint32_t GpioPinValue(std::uint8_t ioMode, std::uint8_t pinConfig) {
    return static_cast<std::uint32_t>(ioMode) << 8 | pinConfig;
}

std::vector<SettingCheck> ChecksOfGeneral(const GeneralSettings& record, bool q470r, bool hasRxPullUp) {
    std::vector<SettingCheck> checks;
    checks.push_back(Check(Setting::OpMode, record.opMode));
    if (q470r) {
        checks.push_back(Check(Setting::PanId, record.panId));
        checks.push_back(Check(Setting::PhyId, record.phyId));
        checks.push_back(Check(Setting::RfChannel, record.rfChannel));
        checks.push_back(Check(Setting::NetRole, record.netRole));
    } else {
        checks.push_back(Check(Setting::UserPanId, record.userPanId));
    }
    checks.push_back(UartCheck(record.baudRate, record.dataBits, record.parity, record.stopBits));
    if (q470r && hasRxPullUp) checks.push_back(Check(Setting::RxPullUp, record.rxPullUp != 0 ? 1 : 0));
    checks.push_back(Check(Setting::QuietMode, record.quietMode != 0 ? 1 : 0));
    return checks;
}

std::vector<SettingCheck> ChecksOfGpio(const GpioSettings& record) {
    std::vector<SettingCheck> checks;
    for (const GpioEntry& entry : record.pins) {
        checks.push_back(Check(Setting::GpioPin, GpioPinValue(entry.ioMode, entry.pinConfig), entry.pin));
    }
    checks.push_back(Check(Setting::ReportInterval, static_cast<std::uint32_t>(record.reportInterval)));
    checks.push_back(Check(Setting::SendRemote, record.sendToPeer != 0 ? 1 : 0));
    return checks;
}

std::vector<SettingCheck> ChecksOfItems(const SettingItemList& items, bool q470r) {
    std::vector<SettingCheck> checks;
    for (const SettingItem& item : items) {
        if (SentToModel(item.command, q470r)) PutItem(checks, item);
    }
    return checks;
}

ConnectionLine LineAfterRestart(const std::vector<SettingCheck>& checks, const ConnectionLine& connection) {
    for (const SettingCheck& check : checks) {
        if (check.IsLine()) return check.writtenLine;
    }
    return connection;
}

void FillReadBack(std::vector<SettingCheck>& checks, const DeviceState& state, std::uint8_t quietMode,
                  const ConnectionLine& answeredAt) {
    for (SettingCheck& check : checks) {
        if (check.IsLine()) {
            check.readBackLine = answeredAt;
        } else {
            check.readBack = ReadBackOf(check, state, quietMode);
        }
    }
}

std::size_t CountDifferences(const std::vector<SettingCheck>& checks) {
    return static_cast<std::size_t>(
        std::count_if(checks.begin(), checks.end(), [](const SettingCheck& c) { return !c.Matches(); }));
}

}  // namespace q470
