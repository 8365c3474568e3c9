#include "device_state.h"

#include "narrow_text.h"

namespace q470 {

std::string FirmwareText(const DeviceState& state) {
    return WideToNarrow(state.firmwareVersion);
}

}  // namespace q470
