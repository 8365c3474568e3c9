#pragma once

#include <cstdint>
#include <string>

namespace q470 {

struct FirmwareVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t patch = 0;
    std::uint32_t fourth = 0;
};

// Splits "major.minor[.patch[.fourth]]"; each number reads like strtol in base 10. Fails when the
// text has fewer than two '.' separators; the numbers read so far are still filled in.
bool ParseFirmwareVersion(const std::string& text, FirmwareVersion& version);

// The RX pull-up setting exists from firmware 1.5.0 on, in version order: 1.5.0, 1.12.3, 2.0.0 and
// 10.0.0 have it, 1.4.9 does not.
bool HasRxPullUp(const FirmwareVersion& version);

// The one rule of the read job, the apply job, the general page and q470ctl: the text parses (it has
// at least two '.' separators, so "1.5" and "2" do not) and its version has RX pull-up.
bool FirmwareHasRxPullUp(const std::string& text);

}  // namespace q470
