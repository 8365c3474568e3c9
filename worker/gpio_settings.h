#pragma once

#include <cstdint>

#include "response_record.h"

namespace q470 {

// The configuration of the 13 GPIO pins and the periodic GPIO report.
struct GpioSettings {
    GpioTable pins{};                // entry i describes pin i
    std::int32_t reportInterval = 0;  // milliseconds; 0 = no periodic report
    std::uint8_t sendToPeer = 0;      // 1: reports also go to the peer device
};

}  // namespace q470
