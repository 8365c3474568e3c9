#pragma once

#include <cstdint>

namespace q470 {

// Every setting the tool writes to a device, named once for the rules that say what each may hold
// and for the messages that say what was wrong with a value.
enum class SettingField : std::uint8_t {
    OpMode,
    NetRole,
    PanId,
    UserPanId,
    PhyId,
    RfChannel,
    QuietMode,
    BaudRate,
    Parity,
    StopBits,
    DataBits,
    RxPullUp,
    GpioPin,
    GpioMode,
    GpioValue,
    ReportInterval,
    SendRemote,
};

}  // namespace q470
