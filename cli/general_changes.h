#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli_text.h"
#include "general_settings.h"

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
    std::optional<std::uint8_t> opMode_;
    std::optional<std::uint8_t> netRole_;
    std::optional<std::uint16_t> panId_;
    std::optional<std::uint16_t> userPanId_;
    std::optional<bool> outdoor_;
    std::optional<std::uint8_t> channel_;
    std::optional<std::uint32_t> baudRate_;
    std::optional<std::uint8_t> parity_;    // device code
    std::optional<std::uint8_t> stopBits_;  // device code
    std::optional<std::uint8_t> dataBits_;
    std::optional<std::uint8_t> quietMode_;
    std::optional<std::uint8_t> rxPullUp_;

    friend class GeneralKeyTable;
};

}  // namespace q470
