#pragma once

#include <array>
#include <cstddef>

#include "response_record.h"

namespace q470 {

// Collects the "+GPIOC," lines of the GPIO table query into one 13-entry record, by pin: the table is
// complete when every pin 0 to 12 has its line. A device that repeats a pin's line unchanged has only
// said it twice; one that gives a pin two different lines, or ends its answer before every pin had
// one, has given no table, and no entry is ever made up for a pin it did not report.
class GpioTableAssembly {
public:
    enum class Progress { Incomplete, Complete, Conflict };

    Progress Add(const GpioEntry& entry);
    // The record of kind RespGpioConfig with the 39-byte table; only once complete.
    ResponseRecordPtr Table() const;

private:
    GpioTable table_{};
    std::array<bool, kGpioPinCount> seen_{};
    std::size_t count_ = 0;
};

}  // namespace q470
