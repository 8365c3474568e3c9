#include "firmware_version.h"

#include <gtest/gtest.h>

#include "model_kind.h"

namespace q470 {
namespace {

TEST(FirmwareVersion, ParsesUpToFourNumbers) {
    struct Case {
        const char* text;
        bool ok;
        FirmwareVersion version;
    };
    const Case cases[] = {
        {"1.4.3.7", true, {1, 4, 3, 7}},
        {"1.5.0", true, {1, 5, 0, 0}},
        {"1.12.3", true, {1, 12, 3, 0}},
        {"1.5", false, {1, 0, 0, 0}},
        {"2", false, {2, 0, 0, 0}},
        {"", false, {0, 0, 0, 0}},
        {"V1.5.0", true, {0, 5, 0, 0}},
        {"1..", true, {1, 0, 0, 0}},
        {" 1. 6.2x", true, {1, 6, 2, 0}},
        {"1.5.0.4.9", true, {1, 5, 0, 4}},
    };
    for (const auto& c : cases) {
        FirmwareVersion v{9, 9, 9, 9};
        EXPECT_EQ(ParseFirmwareVersion(c.text, v), c.ok) << c.text;
        EXPECT_EQ(v.major, c.version.major) << c.text;
        EXPECT_EQ(v.minor, c.version.minor) << c.text;
        EXPECT_EQ(v.patch, c.version.patch) << c.text;
        EXPECT_EQ(v.fourth, c.version.fourth) << c.text;
    }
}

// One rule for the read job, the apply job, the page and q470ctl: version order from 1.5.0 on, and only
// for a text with at least two separators.
TEST(FirmwareVersion, RxPullUpRuleIsAVersionOrder) {
    for (const char* text : {"1.5.0", "1.5.0.0", "1.6.2", "1.12.3", "2.0.0", "10.0.0", "1.5.1", "2.0.0.1"}) {
        EXPECT_TRUE(FirmwareHasRxPullUp(text)) << text;
    }
    for (const char* text : {"1.4.9", "1.4.99.9", "0.9.0", "0.15.0", "1.5", "2", "2.0", "", "V1.5.0"}) {
        EXPECT_FALSE(FirmwareHasRxPullUp(text)) << text;
    }
}

// The first rule compared major (at least 1) and minor (at least 5) each by itself; the firmware that
// version order added to it may lack the command.
TEST(FirmwareVersion, FirmwareAddedByVersionOrderMayLackRxPullUp) {
    for (const char* text : {"2.0.0", "2.3.1", "10.0.0", "2.4.99", "3.0.0.7"}) {
        EXPECT_TRUE(FirmwareMayLackRxPullUp(text)) << text;
    }
    for (const char* text : {"1.5.0", "1.12.3", "2.5.0", "10.7.1", "1.4.9", "0.4.0", "2.0", "V2.0.0"}) {
        EXPECT_FALSE(FirmwareMayLackRxPullUp(text)) << text;
    }
}

TEST(ModelKind, ExactNamesOnly) {
    EXPECT_EQ(ModelKindFromName("Q470R"), ModelQ470R);
    EXPECT_EQ(ModelKindFromName("KELDAN-KS410"), ModelKs410);
    EXPECT_EQ(ModelKindFromName("KELDAN-KS400"), ModelKs400);
    for (const char* name : {"q470r", "Q470R ", "Q470", "KELDAN-KS41", "keldan-ks410", ""}) {
        EXPECT_EQ(ModelKindFromName(name), 0u) << '"' << name << '"';
    }
    EXPECT_STREQ(ModelLabel(ModelQ470R), "Q470R/RX");
    EXPECT_STREQ(ModelLabel(ModelKs400), "KELDAN-KS400");
    EXPECT_STREQ(ModelLabel(ModelKs410), "KELDAN-KS410");
    EXPECT_STREQ(ModelLabel(0), "Q470R/RX");
    for (const char* name : {"Q470R", "KELDAN-KS410", "KELDAN-KS400"}) {
        EXPECT_STREQ(ModelName(ModelKindFromName(name)), name);
    }
    EXPECT_STREQ(ModelName(0), "");
}

}  // namespace
}  // namespace q470
