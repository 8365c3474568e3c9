#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "channel_plan.h"
#include "general_settings.h"
#include "gpio_rules.h"
#include "gpio_settings.h"
#include "setting_problem.h"
#include "setting_table.h"

namespace q470 {

// The one rule set for what each setting may hold, for a model and a firmware: the settings pages,
// q470ctl's set and gpio, and the check of a configuration file all ask it, so that all of them accept
// and refuse the same values. What each setting may hold is its row's (setting_table.h), the channel plans'
// (channel_plan.h) and the pins' (gpio_rules.h); what follows checks values and records against them.

// A PAN ID the general page accepts: 1 to 65533 (the device reserves 0, 65534 and 65535).
bool IsValidPanIdValue(std::uint64_t value);

// A periodic GPIO report interval the GPIO page accepts: 0 (no report) or 1000 ms and more, within the
// record's signed 32-bit field. 1 to 999 ms are refused.
bool IsAcceptedReportInterval(std::int64_t milliseconds);

// The value a general record holds for a general setting (0 for the GPIO settings).
std::int64_t GeneralValue(const GeneralSettings& record, Setting setting);
// What decides which settings the device the record was filled from has.
DeviceFacts FactsOf(const GeneralSettings& record);

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
SettingProblem NotAllowed(Setting field, std::int64_t value, std::vector<ValueRange> allowed);

// --- how the page shows and writes values ---

// Operation mode from the page's two choices: AT command 1:1 = 2, 1:N = 4; bypass 1:1 = 1, 1:N = 3.
std::uint8_t OperationMode(bool atCommand, bool oneToN);
bool IsAtCommandMode(std::uint8_t opMode);  // how the page shows a mode: 2 and anything but 1 and 3
bool IsOneToNMode(std::uint8_t opMode);     // 3 and anything but 1 and 2

}  // namespace q470
