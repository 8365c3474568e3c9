#include "setting_difference_words.h"

#include "setting_check_words.h"

namespace q470 {

SettingDifference DifferenceWords(const SettingCheck& check) {
    return {CheckedSettingName(check), WrittenText(check), ReadBackText(check)};
}

}  // namespace q470
