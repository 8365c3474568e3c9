#pragma once

#include <cstdint>

#include "device_state.h"

namespace q470::test {

constexpr std::uint16_t kPanIdRead = 1234;

// A device as the read jobs leave it: its model, its firmware text and the PAN ID read from it.
inline DeviceState ConnectedDevice(std::uint32_t modelKind, const char16_t* firmware) {
    DeviceState state;
    state.modelKind = modelKind;
    state.network.panId = kPanIdRead;
    state.firmwareVersion = firmware;
    return state;
}

}  // namespace q470::test
