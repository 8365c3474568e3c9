#pragma once

#include <cstdint>
#include <string>

namespace q470 {

// The general settings of the connected device, in the device's own encodings. The general page
// owns one; the apply jobs and the configuration file read it.
struct GeneralSettings {
    std::uint64_t extendedAddress = 0;  // carried, not edited
    std::uint8_t opMode = 0;            // 1 bypass 1:1, 2 AT command 1:1, 3 bypass 1:N, 4 AT command 1:N
    std::uint8_t netRole = 0;           // 1 master (coordinator), 2 slave (device)
    std::uint8_t linkState = 0;         // carried
    std::uint8_t normalMode = 0;        // carried
    std::uint8_t phyId = 0;             // 1..13, selects the channel plan
    std::uint8_t rfChannel = 0;
    std::uint16_t panId = 0;      // edited on the Q470R
    std::uint16_t userPanId = 0;  // edited on the KELDAN models
    std::uint8_t channelMode = 0;  // carried
    std::uint8_t spare = 0;        // carried
    std::uint32_t baudRate = 0;
    std::uint8_t parity = 0;    // device code: 0 none, 1 even, 2 odd
    std::uint8_t stopBits = 0;  // device code: 0 one, 1 two
    std::uint8_t dataBits = 0;  // 7 or 8
    std::uint8_t quietMode = 0;  // 1: the device sends no OK/ERROR (command response OFF)
    std::uint32_t modelKind = 0;
    std::uint8_t rxPullUp = 0;
    std::string firmwareVersion;  // narrow text; empty for the KELDAN models
    bool rxPullUpMissing = false;  // carried: the read found no RX pull-up although the firmware has it
};

}  // namespace q470
