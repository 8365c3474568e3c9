#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "general_settings.h"
#include "gpio_settings.h"
#include "setting_field.h"
#include "setting_problem.h"

namespace q470 {

// The one rule set for what each setting may hold, for a model and a firmware: the settings pages,
// q470ctl's set and gpio, and the check of a configuration file all ask it, so that all of them accept
// and refuse the same values.

// --- what each setting may hold ---

// The PAN ID and the user PAN ID: the device reserves 0, 65534 and 65535.
constexpr std::uint16_t kFirstPanId = 1;
constexpr std::uint16_t kLastPanId = 65533;
// A periodic GPIO report interval other than 0 (no report) is at least this long.
constexpr std::int64_t kShortestReportIntervalMs = 1000;

// The values a setting may hold where they depend on nothing but the setting: operation mode 1-4,
// network role 1-2, PAN ID and user PAN ID 1-65533, PHY ID 1-13, the nine UART rates, parity 0-2 (none,
// even, odd), stop bits 0-1 (one, two), data bits 7-8, quiet mode, RX pull-up and send-to-peer 0-1,
// GPIO pin 0-12, report interval 0 or 1000 to 2147483647 ms. For RfChannel, GpioMode and GpioValue
// (which depend on the plan, the pin and the mode) every value any plan, pin or mode allows.
std::vector<ValueRange> AllowedValues(SettingField field);
// Input and output on every pin, the alternate function (2) on pins 2, 3, 4, 5, 6, 8 and 9 only.
std::vector<ValueRange> AllowedGpioModes(std::uint8_t pin);
// Input 0-2 (no pull, pull-up, pull-down), output 0-1 (low, high), the alternate function 0-1 on pin 2
// (push-pull, inverted) and 0 (none) on the others; nothing for a mode the pin lacks.
std::vector<ValueRange> AllowedGpioValues(std::uint8_t pin, std::uint8_t ioMode);

// The PHY ID and RF channel a device holds, as its read found them.
struct RadioPlan {
    std::uint8_t phyId = 0;
    std::uint8_t rfChannel = 0;
};

// The channels a device on `phyId` may be given: its plan's (8: 46-51; 2 and 5: 93-105; 12 and 13:
// 99-105). A PHY ID without a plan has none, except that the channel the device holds may stay when
// it keeps that PHY ID (`held`): writing it back changes nothing.
std::vector<ValueRange> AllowedChannels(std::uint8_t phyId, const std::optional<RadioPlan>& held = std::nullopt);

bool IsInRanges(std::int64_t value, const std::vector<ValueRange>& ranges);

// A PAN ID the general page accepts: 1 to 65533 (the device reserves 0, 65534 and 65535).
bool IsValidPanIdValue(std::uint64_t value);

// A periodic GPIO report interval the GPIO page accepts: 0 (no report) or 1000 ms and more, within the
// record's signed 32-bit field. 1 to 999 ms are refused.
bool IsAcceptedReportInterval(std::int64_t milliseconds);

// Whether the device the record was filled from has the RX pull-up setting (the device state's own
// answer, carried by the record).
bool RecordHasRxPullUp(const GeneralSettings& record);

// --- checking whole records ---

// The general page's record as an apply job would send it to the model in `record.modelKind`, against
// the radio plan the device holds: what is not allowed, one problem per setting (no member path).
// Settings the model's job does not send are not looked at.
SettingProblems CheckGeneralSettings(const GeneralSettings& record, const RadioPlan& held);
// One pin entry: the pin 0-12, a mode the pin has, a value the mode offers; the first that is not.
std::optional<SettingProblem> CheckGpioEntry(const GpioEntry& entry);
// The GPIO page's record as the apply job sends it: every pin entry and the periodic report.
SettingProblems CheckGpioSettings(const GpioSettings& record);

// A refusal of `value` for `field`, with what is allowed.
SettingProblem NotAllowed(SettingField field, std::int64_t value, std::vector<ValueRange> allowed);

// --- how the page shows and writes values ---

// Operation mode from the page's two choices: AT command 1:1 = 2, 1:N = 4; bypass 1:1 = 1, 1:N = 3.
std::uint8_t OperationMode(bool atCommand, bool oneToN);
bool IsAtCommandMode(std::uint8_t opMode);  // how the page shows a mode: 2 and anything but 1 and 3
bool IsOneToNMode(std::uint8_t opMode);     // 3 and anything but 1 and 2

// The page keeps an "outdoor fixed" flag for PHY IDs 2, 5 and 8; the outdoor PHY ID is 2, the indoor 12.
bool IsOutdoorPhyId(std::uint8_t phyId);
std::uint8_t PhyIdForOutdoor(bool outdoor);
// Whether two PHY IDs share one channel plan (2 and 5, 12 and 13; a PHY ID without a plan only itself).
bool SameChannelPlan(std::uint8_t a, std::uint8_t b);
// The PHY ID written back for a device on `devicePhyId` when the user changed nothing about the radio:
// the outdoor/indoor PHY ID where it keeps the device's plan (5 → 2, 13 → 12), else the device's own
// (8 stays 8, a PHY ID without a plan stays as it is), so that the device keeps its channel.
std::uint8_t PhyIdToApply(std::uint8_t devicePhyId);

// The RF channels a PHY ID offers, in list order (8: 46-51; 2 and 5: 93-105; 12 and 13: 99-105);
// empty for a PHY ID without a plan.
std::vector<std::uint8_t> ChannelsForPhyId(std::uint8_t phyId);
// The channel selected right after the list is built (46, 99, 99); nothing without a plan.
std::optional<std::uint8_t> DefaultChannelForPhyId(std::uint8_t phyId);
// The GPIO page's mode list offers input (0) and output (1) on every pin, and the alternate function
// (2) only on pins 2, 3, 4, 5, 6, 8 and 9.
bool HasAlternateFunction(std::uint8_t pin);
// How many values the page's value list offers for a pin in a mode; the values are 0 to count - 1.
std::uint8_t GpioValueCount(std::uint8_t pin, std::uint8_t ioMode);

// How the list shows a channel: "A(99)" ... "G(105)" for PHY IDs 12 and 13, the plain number otherwise.
std::string ChannelText(std::uint8_t phyId, std::uint8_t channel);

}  // namespace q470
