#include "job_timeouts.h"

#include <gtest/gtest.h>

namespace q470 {
namespace {

TEST(JobTimeouts, ScaleWithSlowLinesOnly) {
    struct Case {
        std::uint32_t baudRate;
        std::uint32_t modelName, readQuery, gpioTable, ksInfo;
    };
    const Case cases[] = {
        {2400, 533, 533, 1250, 533},          {4800, 266, 266, 625, 266},
        {9599, 133, 133, 312, 133},  // the last scaled rate
        {9600, 2000, 2000, 4000, 4000},       {115200, 2000, 2000, 4000, 4000},
        {10, 128000, 128000, 300000, 128000},  // the lowest rate that scales
        {9, 2000, 2000, 4000, 4000},           // too low to scale: no division by zero
        {0, 2000, 2000, 4000, 4000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ModelNameTimeoutMs(c.baudRate), c.modelName) << c.baudRate;
        EXPECT_EQ(ReadQueryTimeoutMs(c.baudRate), c.readQuery) << c.baudRate;
        EXPECT_EQ(GpioTableTimeoutMs(c.baudRate), c.gpioTable) << c.baudRate;
        EXPECT_EQ(KsInfoTimeoutMs(c.baudRate), c.ksInfo) << c.baudRate;
    }
}

}  // namespace
}  // namespace q470
