#pragma once

#include <cstdint>
#include <optional>

#include "config_reader.h"
#include "setting_item.h"
#include "setting_problem.h"
#include "settings_rules.h"

namespace q470 {

// What a configuration file is checked against.
struct ConfigTarget {
    std::uint32_t modelKind = 0;  // the model the items go to
    // The device's PHY ID and channel as its read found them, once a device has been read. A file never
    // sets the PHY ID, so its RF channel must be in the plan of the PHY ID the device has.
    std::optional<RadioPlan> radio;
};

// Every problem of a read file against the rule set: the reader's own (its refusals completed with
// what is allowed), then each item's values against the rules, then the settings the target model
// does not take (named, not sent). Refusals and warnings come in one list; any refusal means the file
// must not be sent.
SettingProblems CheckConfigItems(const SettingItemList& items, const ConfigReadReport& report,
                                 const ConfigTarget& target);

}  // namespace q470
