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

// Firmware that has RX pull-up by version order although its minor number is below 5 (2.0.0, 2.3.1,
// 10.0.0). Devices on it were long taken to have no RX pull-up, and some of them do not know the
// command: there a refused or unanswered query means the device has none, not that it failed.
bool FirmwareMayLackRxPullUp(const std::string& text);

}  // namespace q470
