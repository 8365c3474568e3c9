#pragma once

#include <cstdint>
#include <vector>

#include "command_id.h"

namespace q470 {

// One device setting: the set command that applies it and that command's parameters. Only the
// fields of the group that `command` selects carry meaning.
struct SettingItem {
    std::int32_t command = 0;  // a CommandId

    // CmdUartSet (7)
    std::uint32_t baudRate = 0;
    std::uint8_t parity = 0;    // device code: 0 none, 1 even, 2 odd
    std::uint8_t stopBits = 0;  // device code: 0 one, 1 two
    std::uint8_t dataBits = 0;
    // CmdPanIdSet (9), CmdUserPanIdSet (32)
    std::uint16_t panId = 0;
    std::uint16_t userPanId = 0;
    // CmdNetRoleSet (11), CmdRfChannelSet (13), CmdOpModeSet (18)
    std::uint8_t netRole = 0;
    std::uint8_t rfChannel = 0;
    std::uint8_t opMode = 0;
    // CmdGpioConfigSet (15)
    std::uint8_t pin = 0;
    std::uint8_t ioMode = 0;
    std::uint8_t pinConfig = 0;
    // CmdGpioPeriodicSet (17)
    std::uint32_t reportInterval = 0;
    bool sendRemote = false;
    // CmdQuietModeSet (29)
    bool quietMode = false;
};

// Ordered: the file's members and the commands sent follow this order.
using SettingItemList = std::vector<SettingItem>;

// Field-by-field equality, the fields of other groups included: items made by the constructors below
// leave those at zero, so two equal settings compare equal.
bool operator==(const SettingItem& lhs, const SettingItem& rhs);
bool operator!=(const SettingItem& lhs, const SettingItem& rhs);

// Convenience constructors, one per command.
SettingItem UartItem(std::uint32_t baudRate, std::uint8_t parity, std::uint8_t stopBits, std::uint8_t dataBits);
SettingItem PanIdItem(std::uint16_t panId);
SettingItem UserPanIdItem(std::uint16_t userPanId);
SettingItem NetRoleItem(std::uint8_t netRole);
SettingItem RfChannelItem(std::uint8_t rfChannel);
SettingItem OpModeItem(std::uint8_t opMode);
SettingItem GpioConfigItem(std::uint8_t pin, std::uint8_t ioMode, std::uint8_t pinConfig);
SettingItem GpioPeriodicItem(std::uint32_t reportInterval, bool sendRemote);
SettingItem QuietModeItem(bool quietMode);

}  // namespace q470
