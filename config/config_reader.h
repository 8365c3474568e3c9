#pragma once

#include "config_document.h"
#include "setting_item.h"

namespace q470 {

inline constexpr int kReadOk = 0;
inline constexpr int kReadRootNotObject = -1;
inline constexpr int kReadUnknownModel = -2;    // "Model Name" is a string but names neither form
inline constexpr int kReadModelNotString = -3;  // "Model Name" is present but not a string

// Turns a parsed configuration file into setting items, in the order 18, 9, 11, 13, 29, 7, 32, the pin
// items in file order, then 17, each only when its member qualifies; members that do not qualify are
// skipped without an error. `items` is cleared first, except when the root is not an object.
int ReadSettingItems(const ConfigDocument& document, SettingItemList& items);

}  // namespace q470
