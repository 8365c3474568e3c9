#pragma once

#include "setting_check.h"
#include "unit_result.h"

namespace q470 {

// A setting that read back otherwise than written, in the words `q470ctl set` and `gpio` take: the
// setting as "channel", "uart", "pin 2", the values as "101", "115200 8N1", "alt:push-pull", and "-" for
// a value the unit did not give. The record keeps them so.
SettingDifference DifferenceWords(const SettingCheck& check);

}  // namespace q470
