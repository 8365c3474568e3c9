#pragma once

#include <cstdint>

#include "device_state.h"
#include "job_session.h"

namespace q470 {

// A quiet device sends no OK, so an apply job could not tell a refused setting from an accepted
// one. The apply jobs switch quiet mode off before they write and set the wanted mode at the end.
class QuietModeBracket {
public:
    QuietModeBracket(JobSession& session, DeviceState& state);

    // Sends AT+QM=0 when the device is quiet; false unless it was acknowledged, or when the job's owner
    // asked it to stop before anything was sent.
    bool Open();
    // Sets the wanted mode and records it in the device state. A device switched to quiet does not
    // acknowledge, and an ERROR leaves it as it was, so only a silent device that was asked to talk
    // again, or a link that is gone, counts as failure.
    bool Close(std::uint8_t wanted);
    // The GPIO apply only restores quiet mode on a quiet device, and leaves the device state alone.
    bool CloseAfterGpio();

    // Open switched a quiet device's answers on and nothing has switched them off again yet.
    bool HeldOpen() const { return heldOpen_; }
    // A job stopped by its owner puts a quiet device back into quiet mode, whatever it was to write: the
    // device then is as it was apart from the settings already acknowledged. The device sends nothing
    // for it, so the wait is only long enough for an ERROR to come back.
    bool RestoreAfterStop();

private:
    void Closed();

    JobSession& session_;
    DeviceState& state_;
    bool heldOpen_ = false;
};

}  // namespace q470
