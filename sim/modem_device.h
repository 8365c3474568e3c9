#pragma once

#include <string_view>

#include "modem_reply.h"
#include "modem_settings.h"

namespace q470::sim {

// The device's behaviour without any I/O: its settings, and for each received command line the lines
// it answers. Not thread-safe; the simulated modem guards it.
class ModemDevice {
public:
    explicit ModemDevice(ModemSettings settings);

    // Carries out one command line (the received text without its CR) and returns the answer.
    ModemReply Handle(std::string_view line);
    // The answer to a line the device could not take in whole (too long): ERROR, unless quiet.
    ModemReply Refuse() const;

    const ModemSettings& Settings() const { return settings_; }
    ModemSettings& MutableSettings() { return settings_; }

private:
    ModemReply Finish(bool accepted) const;

    ModemSettings settings_;
};

}  // namespace q470::sim
