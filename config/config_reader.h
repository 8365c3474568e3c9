#pragma once

#include <string>
#include <vector>

#include "config_document.h"
#include "setting_item.h"
#include "setting_problem.h"

namespace q470 {

inline constexpr int kReadOk = 0;
inline constexpr int kReadRootNotObject = -1;
inline constexpr int kReadUnknownModel = -2;    // "Model Name" is a string but names neither form
inline constexpr int kReadModelNotString = -3;  // "Model Name" is present but not a string

// What the reader noticed besides the items.
struct ConfigReadReport {
    // Where each item came from, one per item: "General/PAN ID", "General/UART", "GPIOs/Configs[3]",
    // "GPIOs/Periodic Report".
    std::vector<std::string> itemMembers;
    // In the order the reader met them: numbers that do not fit their field (refusals, whose allowed
    // values the rule check fills in), members it does not know, members of the wrong type, incomplete
    // objects and repeated names (warnings). A member that yields no item always has a problem here.
    SettingProblems problems;
};

// Turns a parsed configuration file into setting items, in the order 18, 9, 11, 13, 29, 7, 32, the pin
// items in file order, then 17, each only when its member qualifies. A number is never cut to its
// field: one that does not fit (negative, too wide, or with a fraction or exponent) yields no item and
// a refusal in `report`. `items` is cleared first, except when the root is not an object; `report`,
// when given, is always rewritten.
int ReadSettingItems(const ConfigDocument& document, SettingItemList& items, ConfigReadReport* report = nullptr);

}  // namespace q470
