#include "gpio_table_assembly.h"

namespace q470 {

GpioTableAssembly::Progress GpioTableAssembly::Add(const GpioEntry& entry) {
    if (entry.pin >= kGpioPinCount) return Progress::Conflict;  // the parser lets no such line through
    if (seen_[entry.pin]) {
        const GpioEntry& held = table_[entry.pin];
        if (held.ioMode != entry.ioMode || held.pinConfig != entry.pinConfig) return Progress::Conflict;
    } else {
        seen_[entry.pin] = true;
        table_[entry.pin] = entry;
        ++count_;
    }
    return count_ == kGpioPinCount ? Progress::Complete : Progress::Incomplete;
}

ResponseRecordPtr GpioTableAssembly::Table() const {
    auto record = MakeRecord(RespGpioConfig, kGpioTableSize);
    for (std::size_t pin = 0; pin < kGpioPinCount; ++pin) WriteGpioEntry(*record, pin, table_[pin]);
    return record;
}

}  // namespace q470
