#pragma once

#include <cstdint>

namespace q470 {

// One numbering for the device's answers and for the link's and parser's own results.
enum ResponseKind : std::int32_t {
    RespOk = 1,
    RespError = 2,
    RespReady = 3,
    RespReadyDebug = 4,
    RespVersion = 5,
    RespActive = 6,
    RespInactive = 7,
    RespInfo = 8,
    RespNetInfo = 9,
    RespPanId = 10,
    RespRfChannel = 11,
    RespGpioConfig = 13,
    RespGpioPeriodic = 14,
    ResultTimeout = 19,
    ResultBadResponse = 22,
    ResultNotOpen = 23,
    ResultBadActiveAddress = 25,
    ResultClosed = 26,
    ResultNoRecord = 27,
    ResultTooLong = 28,
    ResultBadInactiveAddress = 29,
    ResultInvalidInput = 30,
    RespRtStatus = 31,
    RespRtRssi = 32,
    RespPhyId = 33,
    RespQuietMode = 34,
    RespModelName = 35,
    RespUserPanId = 36,
    RespRxPullUp = 37,
    // The device link: the device never finished its answer to an earlier command, so its final line
    // could still come and be taken for the next command's own; nothing was sent.
    ResultOutOfStep = 38,
};

}  // namespace q470
