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

// The RX pull-up setting exists from firmware 1.5 on, each number compared by itself: major >= 1
// and minor >= 5 (so 2.0.0 does not qualify).
bool HasRxPullUp(const FirmwareVersion& version);

// Parses the text and applies the rule to whatever numbers came out, as the read and apply jobs do.
bool FirmwareHasRxPullUp(const std::string& text);

// The general page offers RX pull-up only when the text also parses.
bool FirmwareSupportsRxPullUp(const std::string& text);

}  // namespace q470
