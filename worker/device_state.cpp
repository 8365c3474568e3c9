#include "device_state.h"

#include "firmware_version.h"
#include "narrow_text.h"

namespace q470 {

std::string FirmwareText(const DeviceState& state) {
    return WideToNarrow(state.firmwareVersion);
}

bool DeviceHasRxPullUp(std::uint32_t modelKind, const std::string& firmware, bool foundMissing) {
    return modelKind == ModelQ470R && !foundMissing && FirmwareHasRxPullUp(firmware);
}

bool DeviceHasRxPullUp(const DeviceState& state) {
    return DeviceHasRxPullUp(state.modelKind, FirmwareText(state), state.rxPullUpMissing);
}

}  // namespace q470
