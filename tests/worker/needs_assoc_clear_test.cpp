#include "needs_assoc_clear.h"

#include <gtest/gtest.h>

#include "connected_device.h"
#include "narrow_text.h"

namespace q470::test {
namespace {

TEST(NeedsAssocClear, ChangedPanIdOnQ470RUpToFirmware140) {
    struct Case {
        const char16_t* firmware;
        bool needed;
    };
    const Case cases[] = {
        {u"1.4.0", true},  {u"1.4.0.9", true}, {u"1.3.9", true},
        {u"0.9.9", true},  {u"V1.4.0", true},  // a letter first reads as major 0
        {u"1.4", true},                        // does not parse
        {u"", true},       {u"1.4.1", false},  {u"1.5.0", false},
        {u"2.0.0", false}, {u"1.10.0", false},
    };
    for (const auto& c : cases) {
        const DeviceState state = ConnectedDevice(ModelQ470R, c.firmware);
        EXPECT_EQ(NeedsAssocClear(4321, state), c.needed) << WideToNarrow(c.firmware);
        EXPECT_FALSE(NeedsAssocClear(kPanIdRead, state));
    }
    EXPECT_FALSE(NeedsAssocClear(4321, ConnectedDevice(ModelKs410, u"1.4.0")));
    EXPECT_FALSE(NeedsAssocClear(4321, ConnectedDevice(ModelKs400, u"")));
}

}  // namespace
}  // namespace q470::test
