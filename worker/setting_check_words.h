#pragma once

#include <string>

#include "setting_check.h"

namespace q470 {

// A checked setting in the words `q470ctl set` and `gpio` take: "channel", "uart", "pin 2", ...
std::string CheckedSettingName(const SettingCheck& check);
// Its value as written and as read back, in the same words ("101", "115200 8N1", "alt:push-pull");
// "-" for a value the device did not give.
std::string WrittenText(const SettingCheck& check);
std::string ReadBackText(const SettingCheck& check);

}  // namespace q470
