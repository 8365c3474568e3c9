#include "needs_assoc_clear.h"

#include "firmware_version.h"
#include "model_kind.h"

namespace q470 {
namespace {

// The newest firmware that needs the clear is 1.4.0 (any fourth number).
constexpr std::uint32_t kFixedMajor = 1;
constexpr std::uint32_t kFixedMinor = 4;

bool AtMost140(const FirmwareVersion& v) {
    if (v.major != kFixedMajor) return v.major < kFixedMajor;
    return v.minor < kFixedMinor || (v.minor == kFixedMinor && v.patch == 0);
}

}  // namespace

bool NeedsAssocClear(std::uint16_t newPanId, const DeviceState& state) {
    if (state.modelKind != ModelQ470R || newPanId == state.network.panId) return false;
    FirmwareVersion version;
    return !ParseFirmwareVersion(FirmwareText(state), version) || AtMost140(version);
}

}  // namespace q470
