#pragma once

#include "fault_chooser.h"
#include "general_settings.h"
#include "gpio_settings.h"
#include "modem_settings.h"
#include "setting_item.h"

namespace q470::soak {

// Job inputs and soak devices drawn from the run's generator: mostly values a device takes, now and
// then one it refuses or one the job itself refuses (a reserved PAN ID).
class RandomInputs {
public:
    explicit RandomInputs(FaultChooser& random) : random_(random) {}

    sim::ModemSettings Device();
    GeneralSettings General();
    GpioSettings Gpio();
    SettingItemList Items();

private:
    std::uint16_t PanId();
    std::uint8_t Quiet();
    SettingItem Item();
    GpioEntry Pin(std::uint8_t pin);
    template <typename T, std::size_t N>
    T Pick(const T (&values)[N]) {
        return values[random_.Below(N)];
    }

    FaultChooser& random_;
};

}  // namespace q470::soak
