#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "general_settings.h"
#include "gpio_settings.h"
#include "ledger_entry.h"
#include "setting_item.h"

namespace q470::soak {

// One job as the soak ran it: what it was given, what the device did with its commands, and what the
// job reported.
struct JobRecord {
    std::int32_t job = 0;
    std::int32_t result = 0;
    bool deviceGone = false;  // the line went down while the job ran (a command may have met the close)
    // The link stopped sending during the job (or before it): a final line it waited for never came.
    bool outOfStep = false;
    // The device state when the job started.
    std::uint8_t quietAtStart = 0;
    std::string firmwareAtStart;
    bool rxPullUpAtStart = false;  // the device had RX pull-up, as the last read found it
    // The job's inputs.
    GeneralSettings general;
    GpioSettings gpio;
    SettingItemList items;
    std::vector<LedgerEntry> entries;
};

}  // namespace q470::soak
