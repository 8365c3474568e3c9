#include "firmware_version.h"

#include <string_view>
#include <tuple>

#include "c_decimal.h"

namespace q470 {
namespace {

std::uint32_t ReadNumber(std::string_view text) {
    return static_cast<std::uint32_t>(ParseCDecimal(text));
}

}  // namespace

bool ParseFirmwareVersion(const std::string& text, FirmwareVersion& version) {
    version = {};
    const std::string_view view(text);
    const std::size_t first = view.find('.');
    version.major = ReadNumber(view.substr(0, first));
    if (first == std::string_view::npos) return false;
    const std::size_t second = view.find('.', first + 1);
    if (second == std::string_view::npos) return false;
    version.minor = ReadNumber(view.substr(first + 1, second - first - 1));
    const std::size_t third = view.find('.', second + 1);
    version.patch = ReadNumber(view.substr(second + 1, third == std::string_view::npos ? third : third - second - 1));
    if (third != std::string_view::npos) version.fourth = ReadNumber(view.substr(third + 1));
    return true;
}

bool HasRxPullUp(const FirmwareVersion& version) {
    const FirmwareVersion first{1, 5, 0, 0};
    return std::tie(version.major, version.minor, version.patch, version.fourth) >=
           std::tie(first.major, first.minor, first.patch, first.fourth);
}

bool FirmwareHasRxPullUp(const std::string& text) {
    FirmwareVersion version;
    return ParseFirmwareVersion(text, version) && HasRxPullUp(version);
}

bool FirmwareMayLackRxPullUp(const std::string& text) {
    FirmwareVersion version;
    constexpr std::uint32_t kFirstMinorWithRxPullUp = 5;
    return ParseFirmwareVersion(text, version) && HasRxPullUp(version) && version.minor < kFirstMinorWithRxPullUp;
}

}  // namespace q470
