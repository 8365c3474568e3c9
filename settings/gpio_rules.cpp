#include "gpio_rules.h"

#include "setting_table.h"
#include "setting_values.h"

namespace q470 {

bool HasAlternateFunction(std::uint8_t pin) {
    return AlternateFunctionName(pin) != nullptr;
}

std::uint8_t GpioValueCount(std::uint8_t pin, std::uint8_t ioMode) {
    if (!IsInRanges(pin, AllowedValues(Setting::GpioPin))) return 0;
    if (ioMode == kGpioModeAlternate && !HasAlternateFunction(pin)) return 0;
    return static_cast<std::uint8_t>(GpioValues(pin, ioMode).LabelCount());
}

std::vector<ValueRange> AllowedGpioModes(std::uint8_t pin) {
    if (!IsInRanges(pin, AllowedValues(Setting::GpioPin))) return {};
    return {{kGpioModeInput, HasAlternateFunction(pin) ? kGpioModeAlternate : kGpioModeOutput}};
}

std::vector<ValueRange> AllowedGpioValues(std::uint8_t pin, std::uint8_t ioMode) {
    const std::uint8_t count = GpioValueCount(pin, ioMode);
    if (count == 0) return {};
    return {{0, count - 1}};
}

}  // namespace q470
