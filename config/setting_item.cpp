#include "setting_item.h"

#include <tuple>

namespace q470 {

namespace {

auto Fields(const SettingItem& item) {
    return std::tie(item.command, item.baudRate, item.parity, item.stopBits, item.dataBits, item.panId, item.userPanId,
                    item.netRole, item.rfChannel, item.opMode, item.pin, item.ioMode, item.pinConfig,
                    item.reportInterval, item.sendRemote, item.quietMode);
}

SettingItem ItemFor(CommandId command) {
    SettingItem item;
    item.command = command;
    return item;
}

}  // namespace

bool operator==(const SettingItem& lhs, const SettingItem& rhs) {
    return Fields(lhs) == Fields(rhs);
}

bool operator!=(const SettingItem& lhs, const SettingItem& rhs) {
    return !(lhs == rhs);
}

SettingItem UartItem(std::uint32_t baudRate, std::uint8_t parity, std::uint8_t stopBits, std::uint8_t dataBits) {
    SettingItem item = ItemFor(CmdUartSet);
    item.baudRate = baudRate;
    item.parity = parity;
    item.stopBits = stopBits;
    item.dataBits = dataBits;
    return item;
}

SettingItem PanIdItem(std::uint16_t panId) {
    SettingItem item = ItemFor(CmdPanIdSet);
    item.panId = panId;
    return item;
}

SettingItem UserPanIdItem(std::uint16_t userPanId) {
    SettingItem item = ItemFor(CmdUserPanIdSet);
    item.userPanId = userPanId;
    return item;
}

SettingItem NetRoleItem(std::uint8_t netRole) {
    SettingItem item = ItemFor(CmdNetRoleSet);
    item.netRole = netRole;
    return item;
}

SettingItem RfChannelItem(std::uint8_t rfChannel) {
    SettingItem item = ItemFor(CmdRfChannelSet);
    item.rfChannel = rfChannel;
    return item;
}

SettingItem OpModeItem(std::uint8_t opMode) {
    SettingItem item = ItemFor(CmdOpModeSet);
    item.opMode = opMode;
    return item;
}

SettingItem GpioConfigItem(std::uint8_t pin, std::uint8_t ioMode, std::uint8_t pinConfig) {
    SettingItem item = ItemFor(CmdGpioConfigSet);
    item.pin = pin;
    item.ioMode = ioMode;
    item.pinConfig = pinConfig;
    return item;
}

SettingItem GpioPeriodicItem(std::uint32_t reportInterval, bool sendRemote) {
    SettingItem item = ItemFor(CmdGpioPeriodicSet);
    item.reportInterval = reportInterval;
    item.sendRemote = sendRemote;
    return item;
}

SettingItem QuietModeItem(bool quietMode) {
    SettingItem item = ItemFor(CmdQuietModeSet);
    item.quietMode = quietMode;
    return item;
}

}  // namespace q470
