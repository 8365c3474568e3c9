#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli_text.h"
#include "gpio_settings.h"

namespace q470 {

// The GPIO settings a `gpio` command changes, checked with the GPIO page's rules: per-pin modes (the
// alternate function only where the pin has one), the values each mode offers, a report interval of 0
// or at least 1000 ms. Everything is checked from the words alone.
class GpioChanges {
public:
    // From PIN=MODE[:VALUE] words (a missing value is 0, as the page selects after a mode change) and
    // the --interval and --send-to-peer values; nothing on error, with the message in `error`.
    static std::optional<GpioChanges> Parse(const std::vector<std::string>& words,
                                            const std::optional<std::string>& interval,
                                            const std::optional<std::string>& sendToPeer, const CliText& text,
                                            std::string& error);

    // The page rewrites every entry with its own pin number; entries not named keep what was read.
    void ApplyTo(GpioSettings& record) const;

private:
    std::array<std::optional<GpioEntry>, kGpioPinCount> pins_{};
    std::optional<std::int32_t> interval_;
    std::optional<std::uint8_t> sendToPeer_;
};

}  // namespace q470
