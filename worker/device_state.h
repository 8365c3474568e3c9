#pragma once

#include <cstdint>
#include <string>

#include "model_kind.h"
#include "response_record.h"

namespace q470 {

// What the identify and read jobs found out about the connected device. The worker writes it while a
// job runs; the window reads it only once that job's result has arrived.
struct DeviceState {
    InfoPayload info;                  // the +INFO answer
    NetInfoPayload network;            // the +NETINFO answer; userPanId is 0 after a Q470R, +UPANID after a KELDAN
    GpioTable gpio{};                  // the combined +GPIOC answer (Q470R)
    std::uint32_t reportInterval = 0;  // +GPIOP, milliseconds (Q470R)
    std::uint32_t sendRemote = 0;      // +GPIOP, the flag in the low byte (Q470R)
    std::uint8_t quietMode = 0;        // 1: the device sends no OK/ERROR
    std::u16string firmwareVersion;    // the +VER text
    std::uint32_t modelKind = ModelQ470R;
    std::uint8_t rxPullUp = 0;  // +URPU, or 0 when the firmware has no RX pull-up (Q470R)
};

// The firmware version as the device sent it, for ParseFirmwareVersion and the RX pull-up rule.
std::string FirmwareText(const DeviceState& state);

}  // namespace q470
