#include "device_state.h"

#include "narrow_text.h"
#include "setting_table.h"

namespace q470 {

std::string FirmwareText(const DeviceState& state) {
    return WideToNarrow(state.firmwareVersion);
}

bool DeviceHasRxPullUp(std::uint32_t modelKind, const std::string& firmware, bool foundMissing) {
    return DeviceHas({modelKind, firmware, foundMissing}, Setting::RxPullUp);
}

bool DeviceHasRxPullUp(const DeviceState& state) {
    return DeviceHasRxPullUp(state.modelKind, FirmwareText(state), state.rxPullUpMissing);
}

}  // namespace q470
