#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace q470 {

// The rules of the settings pages, shared by the window and the command-line tool so that both accept
// and refuse the same values.

// A PAN ID the general page accepts: 1 to 65533 (the device reserves 0, 65534 and 65535).
bool IsValidPanIdValue(std::uint64_t value);

// A periodic GPIO report interval the GPIO page accepts: 0 (no report) or 1000 ms and more, within the
// record's signed 32-bit field. 1 to 999 ms are refused.
bool IsAcceptedReportInterval(std::int64_t milliseconds);

// Operation mode from the page's two choices: AT command 1:1 = 2, 1:N = 4; bypass 1:1 = 1, 1:N = 3.
std::uint8_t OperationMode(bool atCommand, bool oneToN);
bool IsAtCommandMode(std::uint8_t opMode);  // how the page shows a mode: 2 and anything but 1 and 3
bool IsOneToNMode(std::uint8_t opMode);      // 3 and anything but 1 and 2

// The page keeps an "outdoor fixed" flag for PHY IDs 2, 5 and 8 and writes back PHY ID 2 when it is
// set, 12 otherwise.
bool IsOutdoorPhyId(std::uint8_t phyId);
std::uint8_t PhyIdForOutdoor(bool outdoor);

// The RF channels a PHY ID offers, in list order (8: 46-51; 2 and 5: 93-105; 12 and 13: 99-105);
// empty for a PHY ID without a plan.
std::vector<std::uint8_t> ChannelsForPhyId(std::uint8_t phyId);
// The channel selected right after the list is built (46, 99, 99); nothing without a plan.
std::optional<std::uint8_t> DefaultChannelForPhyId(std::uint8_t phyId);
// The GPIO page's mode list offers input (0) and output (1) on every pin, and the alternate function
// (2) only on pins 2, 3, 4, 5, 6, 8 and 9.
bool HasAlternateFunction(std::uint8_t pin);
// How many values the page's value list offers for a pin in a mode; the values are 0 to count - 1.
// Input 3 (no pull, pull-up, pull-down), output 2 (low, high), the alternate function 2 on pin 2 (the
// status LED: push-pull, inverted push-pull) and 1 (none) on the others; 0 for a mode the pin lacks.
std::uint8_t GpioValueCount(std::uint8_t pin, std::uint8_t ioMode);

// How the list shows a channel: "A(99)" ... "G(105)" for PHY IDs 12 and 13, the plain number otherwise.
std::string ChannelText(std::uint8_t phyId, std::uint8_t channel);

}  // namespace q470
