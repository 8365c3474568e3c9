#pragma once

#include <cstddef>
#include <cstdint>

namespace q470 {

// Every value of a device that the tool shows, checks and writes, in the order q470ctl names them (its
// keys, what read prints); the GPIO settings come last. What is true of each is its row in the setting
// table (setting_table.h).
enum class Setting : std::uint8_t {
    OpMode,
    NetRole,
    PanId,
    UserPanId,
    PhyId,
    RfChannel,
    BaudRate,
    Parity,
    StopBits,
    DataBits,
    QuietMode,
    RxPullUp,
    GpioPin,
    GpioMode,
    GpioValue,
    ReportInterval,
    SendRemote,
};

constexpr std::size_t kSettingCount = static_cast<std::size_t>(Setting::SendRemote) + 1;

}  // namespace q470
