#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "device_records.h"
#include "device_state.h"
#include "general_settings.h"
#include "gpio_settings.h"
#include "setting.h"
#include "setting_item.h"

namespace q470 {

// One written setting beside what the device reports after its restart, compared as its row of the
// setting table says: the UART's four settings as one check under its baud rate, a pin's mode and value
// as one under GpioPin. Values in the device's own encoding; a GPIO pin's value is its mode times 256
// plus its configuration.
struct SettingCheck {
    Setting setting = Setting::OpMode;
    std::uint8_t pin = 0;  // GpioPin
    std::uint32_t written = 0;
    std::optional<std::uint32_t> readBack;       // nothing while the device has not been read
    ConnectionLine writtenLine;                  // the UART
    std::optional<ConnectionLine> readBackLine;  // the UART: where the device answered after its restart

    // The UART is proven by the device answering at the line written: no read job reads it.
    bool IsLine() const;
    bool Matches() const;
};

std::uint32_t GpioPinValue(std::uint8_t ioMode, std::uint8_t pinConfig);

// What the general apply job writes for the model (the RX pull-up only on firmware that has it).
std::vector<SettingCheck> ChecksOfGeneral(const GeneralSettings& record, bool q470r, bool hasRxPullUp);
// What the GPIO apply job writes: 13 pins and the periodic report.
std::vector<SettingCheck> ChecksOfGpio(const GpioSettings& record);
// What the file apply job writes for the model, one check per setting: a later item of the same
// setting replaces an earlier one, as it does on the device.
std::vector<SettingCheck> ChecksOfItems(const SettingItemList& items, bool q470r);

// The line setting the device uses after its restart: the UART setting written, otherwise the
// connection's.
ConnectionLine LineAfterRestart(const std::vector<SettingCheck>& checks, const ConnectionLine& connection);

// Fills in what the device reports: the read job's device state, the quiet mode its AT+QM? answer
// gave, and the line setting it answered at.
void FillReadBack(std::vector<SettingCheck>& checks, const DeviceState& state, std::uint8_t quietMode,
                  const ConnectionLine& answeredAt);

std::size_t CountDifferences(const std::vector<SettingCheck>& checks);

}  // namespace q470
