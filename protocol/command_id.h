#pragma once

#include <cstdint>

namespace q470 {

// Identifier sent along with every AT command; it decides which answer completes the command.
// Values outside 2..35 are legal and are never completed by any answer.
enum CommandId : std::int32_t {
    CmdAt = 2,
    CmdInfoQuery = 3,
    CmdNetInfoQuery = 4,
    CmdVersionQuery = 5,
    CmdReserved6 = 6,
    CmdUartSet = 7,
    CmdPanIdQuery = 8,
    CmdPanIdSet = 9,
    CmdReserved10 = 10,  // completed by nothing: always ends by time-out
    CmdNetRoleSet = 11,
    CmdRfChannelQuery = 12,
    CmdRfChannelSet = 13,
    CmdGpioConfigQuery = 14,
    CmdGpioConfigSet = 15,
    CmdGpioPeriodicQuery = 16,
    CmdGpioPeriodicSet = 17,
    CmdOpModeSet = 18,
    CmdRestart = 19,
    CmdFactoryReset = 20,
    CmdReserved21 = 21,
    CmdReserved22 = 22,
    CmdReserved23 = 23,
    CmdRtStatusQuery = 24,
    CmdReserved25 = 25,
    CmdPhyIdQuery = 26,
    CmdPhyIdSet = 27,
    CmdQuietModeQuery = 28,
    CmdQuietModeSet = 29,
    CmdModelNameQuery = 30,
    CmdUserPanIdQuery = 31,
    CmdUserPanIdSet = 32,
    CmdAssocClear = 33,
    CmdRxPullUpQuery = 34,
    CmdRxPullUpSet = 35,
    // Not a command: one past the last identifier that takes part in matching. New commands go above it,
    // and the catalogue does not build until each has its row.
    CmdEnd,
};

constexpr CommandId kFirstCommandId = CmdAt;

}  // namespace q470
