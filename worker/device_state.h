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
    std::uint8_t rxPullUp = 0;  // +URPU, or 0 when the device has no RX pull-up (Q470R)
    // The firmware has RX pull-up by its version, but the device refused or ignored the query: it has none.
    bool rxPullUpMissing = false;
};

// The firmware version as the device sent it, for ParseFirmwareVersion and the RX pull-up rule.
std::string FirmwareText(const DeviceState& state);

// Whether a device has the RX pull-up setting: a Q470R whose firmware has it, unless its read found it
// missing. Every part that shows, sends, checks or reports RX pull-up asks this, through the device
// state or through the general record that carries the same facts.
bool DeviceHasRxPullUp(std::uint32_t modelKind, const std::string& firmware, bool foundMissing);
bool DeviceHasRxPullUp(const DeviceState& state);

}  // namespace q470
