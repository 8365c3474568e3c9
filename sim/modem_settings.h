#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace q470::sim {

enum class ModemModel { Q470R, KS410, KS400 };

struct GpioPin {
    std::uint8_t ioMode = 0;     // 0 input, 1 output, 2 alternate function
    std::uint8_t pinConfig = 0;  // meaning depends on the mode
};

// Everything the simulated device knows about itself. The defaults are a Q470R on firmware 1.5.0.
struct ModemSettings {
    ModemModel model = ModemModel::Q470R;
    std::string modelName;  // answered to AT+MODELNAME?; empty: the model's own name
    std::string firmware = "1.5.0";
    std::uint64_t extendedAddress = 0x00124B001A2B3C4Dull;
    std::uint8_t opMode = 2;   // 1 P2P, 2 P2PCMD, 3 MULTI, 4 MULTICMD
    std::uint8_t netRole = 1;  // 1 COORD, 2 DEV
    bool linkActive = true;    // "+INFO," link state ACT / INACT
    bool normalMode = true;    // "+INFO," flag 1 / 0 (0: configuration mode)
    std::uint8_t phyId = 12;
    std::uint8_t rfChannel = 99;
    std::uint16_t panId = 1234;
    std::uint16_t userPanId = 4660;
    bool frequencyHopping = false;  // "+NETINFO," channel mode FH / BC
    std::uint32_t baudRate = 9600;
    std::uint8_t stopBits = 0;  // device codes, as AT+UART= carries them
    std::uint8_t parity = 0;
    std::uint8_t dataBits = 8;
    bool quietMode = false;  // no OK/ERROR lines while set
    bool rxPullUp = false;
    std::array<GpioPin, 13> gpio{};
    std::uint32_t reportInterval = 0;
    bool sendRemote = false;
};

// The settings a device of this model leaves the factory with (what AT&F restores).
ModemSettings FactorySettings(ModemModel model, const std::string& firmware = "");

// "Q470R", "KELDAN-KS410", "KELDAN-KS400" (exact) → model.
std::optional<ModemModel> ModelFromName(const std::string& name);
const char* ModelName(ModemModel model);

}  // namespace q470::sim
