#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli_text.h"
#include "general_settings.h"
#include "setting.h"

namespace q470 {

// The general settings a `set` command changes, checked with the general page's rules. Checked in
// three steps, each as soon as what it needs is known: the words alone (Parse), the identified model
// (CheckModel), the record read from the device (ApplyTo). A message names the key and what is allowed.
class GeneralChanges {
public:
    // From KEY=VALUE words; nothing on error, with the message in `error`.
    static std::optional<GeneralChanges> Parse(const std::vector<std::string>& words, const CliText& text,
                                               std::string& error);

    // The keys the model's general page lets the user edit: the Q470R has panid, role, channel, outdoor
    // and rx-pullup, the KELDAN models upanid instead. "" when every key fits.
    std::string CheckModel(std::uint32_t modelKind, const CliText& text) const;

    // Turns the record built from the read into the record the page would apply: every field the page
    // edits goes through the page's rules (role, operation mode, RX pull-up as 0 or 1), changed where a
    // key says so. The radio stays as read unless outdoor= changes the plan: the device's PHY ID (5 and
    // 13 written as 2 and 12, which share their plans) and its channel, which must be one its plan
    // allows. "" when the record is ready to send; otherwise why not (and the record is unusable).
    std::string ApplyTo(GeneralSettings& record, const CliText& text) const;

private:
    // The value a key gave, in the device's encoding; for the PHY ID the outdoor flag.
    const std::optional<std::uint32_t>& Changed(Setting setting) const {
        return changes_[static_cast<std::size_t>(setting)];
    }

    std::array<std::optional<std::uint32_t>, kSettingCount> changes_{};
};

}  // namespace q470
