#pragma once

#include <cstdint>
#include <vector>

#include "value_range.h"

namespace q470 {

// What a GPIO pin may be set to: input and output on every pin, the alternate function (2) only on
// pins 2, 3, 4, 5, 6, 8 and 9; each mode's values (input 0-2: no pull, pull-up, pull-down; output 0-1:
// low, high; the alternate function 0-1 on pin 2, push-pull or inverted, and 0, none, on the others).

bool HasAlternateFunction(std::uint8_t pin);
// How many values a pin's mode offers; the values are 0 to count - 1. 0 for a mode the pin lacks.
std::uint8_t GpioValueCount(std::uint8_t pin, std::uint8_t ioMode);
// Nothing for a pin beyond 12.
std::vector<ValueRange> AllowedGpioModes(std::uint8_t pin);
// Nothing for a mode the pin lacks.
std::vector<ValueRange> AllowedGpioValues(std::uint8_t pin, std::uint8_t ioMode);

}  // namespace q470
