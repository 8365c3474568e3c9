#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "general_settings.h"
#include "gpio_settings.h"

namespace q470 {

// One general setting as `set` takes it: the key the model has and the value in set's words, so that
// what the tool prints (as text or JSON) can be given back to it.
struct SettingWord {
    enum class Kind { Word, Number, Switch };
    const char* key;
    Kind kind;
    std::string word;  // as text: the name, the digits, or 0 / 1
    std::uint64_t number = 0;
    bool on = false;
};

// The keys `set` takes for the record's model, in the order of its help.
std::vector<SettingWord> GeneralSettingWords(const GeneralSettings& general);

// One pin as `gpio` takes it: PIN=MODE:VALUE.
struct PinWords {
    int pin;
    std::string mode;
    std::string value;
};

std::vector<PinWords> GpioPinWords(const GpioSettings& gpio);

}  // namespace q470
