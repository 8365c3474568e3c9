#include "response_parser.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace q470 {
namespace {

ResponseRecordPtr Parse(const std::string& frame) {
    return ParseResponse(reinterpret_cast<const std::uint8_t*>(frame.data()), frame.size());
}

std::string Line(const std::string& text) {
    return "\r\n" + text + "\r\n";
}

struct KindCase {
    std::string frame;
    std::int32_t kind;
    std::uint16_t length;
};

TEST(ParseResponse, KindsAndPayloadLengths) {
    const std::vector<KindCase> cases = {
        {Line("OK"), RespOk, 0},
        {Line("ERROR"), RespError, 0},
        {Line("+READY"), RespReady, 0},
        {Line("+READY DEBUG MODE"), RespReadyDebug, 0},
        {Line("+ACTIVE"), RespActive, 0},
        {Line("+INACTIVE"), RespInactive, 0},
        {Line("+ACTIVE,00124B001A2B3C4D"), RespActive, 8},
        {Line("+ACTIVE,00124B001A2B3C4"), ResultBadResponse, 0},
        {Line("+ACTIVE,00124B001A2B3C4D5"), ResultBadResponse, 0},
        {Line("+ACTIVE,00124B001A2B3G4D"), ResultBadActiveAddress, 0},
        {Line("+INACTIVE,00124b001a2b3c4d"), RespInactive, 8},
        {Line("+INACTIVE,00124B001A2B3G4D"), ResultBadInactiveAddress, 0},
        {Line("+INACTIVE,00124B"), ResultBadResponse, 0},
        {Line("+INFO,00124B001A2B3C4D,P2PCMD,COORD,ACT,1"), RespInfo, 12},
        {Line("+INFO,00124B001A2B3C4D,p2p,COORD,ACT,1"), ResultBadResponse, 0},
        {Line("+INFO,00124B001A2B3C4D,P2P,COORD,ACT,2"), ResultBadResponse, 0},
        {Line("+INFO,00124B001A2B3C4D,P2P,COORD,ACT"), ResultBadResponse, 0},
        {Line("+INFO,00124B001A2B3C4,P2P,COORD,ACT,1"), ResultBadResponse, 0},
        {Line("+INFO,00124B001A2B3C4D,P2P,MASTER,ACT,1"), ResultBadResponse, 0},
        {Line("+INFO,00124B001A2B3C4D,P2P,DEV,IDLE,1"), ResultBadResponse, 0},
        {Line("+NETINFO,12,99,1234,BC"), RespNetInfo, 8},
        {Line("+NETINFO,14,99,1234,BC"), ResultBadResponse, 0},
        {Line("+NETINFO,0,99,1234,BC"), ResultBadResponse, 0},
        {Line("+NETINFO,12,129,1234,BC"), ResultBadResponse, 0},
        {Line("+NETINFO,12,99,0,BC"), ResultBadResponse, 0},
        {Line("+NETINFO,12,99,65535,BC"), ResultBadResponse, 0},
        {Line("+NETINFO,12,99,1234,bc"), ResultBadResponse, 0},
        {Line("+NETINFO,12,99,1234"), ResultBadResponse, 0},
        {Line("+RFCH,0"), ResultBadResponse, 0},
        {Line("+RFCH,129"), ResultBadResponse, 0},
        {Line("+RFCH,128"), RespRfChannel, 1},
        {Line("+RFCH,257"), RespRfChannel, 1},
        {Line("+PANID,4660"), RespPanId, 2},
        {Line("+GPIOC,12,2,2"), RespGpioConfig, 3},
        {Line("+GPIOC,13,0,0"), ResultBadResponse, 0},
        {Line("+GPIOC,0,3,0"), ResultBadResponse, 0},
        {Line("+GPIOC,0,0,3"), ResultBadResponse, 0},
        {Line("+GPIOC,0,0"), ResultBadResponse, 0},
        {Line("+GPIOP,1000,1"), RespGpioPeriodic, 8},
        {Line("+GPIOP,1000,2"), ResultBadResponse, 0},
        {Line("+GPIOP,1000"), ResultBadResponse, 0},
        {Line("+RTSTATUS,1"), RespRtStatus, 1},
        {Line("+RTSTATUS,3"), ResultBadResponse, 0},
        {Line("+RTRSSI,-70"), RespRtRssi, 1},
        {Line("+VER,1.5.0"), RespVersion, 128},
        {Line("+VER,"), RespVersion, 128},
        {Line("+PHYID,12"), RespPhyId, 2},
        {Line("+QM,1"), RespQuietMode, 1},
        {Line("+MODELNAME,Q470R"), RespModelName, 128},
        {Line("+MODELNAME,"), ResultBadResponse, 0},
        {Line("+UPANID,4660"), RespUserPanId, 2},
        {Line("+URPU,1"), RespRxPullUp, 1},
        {Line("+URPU,2"), ResultBadResponse, 0},
        {Line("+URPU,257"), ResultBadResponse, 0},
        {Line("OKAY"), ResultBadResponse, 0},
        {Line("+UNKNOWN,1"), ResultBadResponse, 0},
        {Line("+QM"), ResultBadResponse, 0},
        {"\r\nOK\r\r", ResultBadResponse, 0},
        {"OK\r\n\r\n", ResultBadResponse, 0},
        {"\r\n\r\n", ResultBadResponse, 0},
        {"", ResultBadResponse, 0},
        {"AT", ResultBadResponse, 0},
        {Line(std::string(251, 'x')), ResultBadResponse, 0},
        {Line("+VER," + std::string(246, 'x')), RespVersion, 128},  // 255 bytes: still parsed
        {Line("+VER," + std::string(247, 'x')), ResultTooLong, 0},  // 256 bytes
    };
    for (const auto& c : cases) {
        const auto record = Parse(c.frame);
        ASSERT_TRUE(record);
        EXPECT_EQ(record->kind, c.kind) << c.frame;
        EXPECT_EQ(record->length, c.length) << c.frame;
    }
}

TEST(ParseResponse, InfoPayloadLayout) {
    const auto record = Parse(Line("+INFO,00124b001A2B3C4D,MULTICMD,DEV,INACT,0"));
    const auto* p = record->payload.data();
    const std::vector<std::uint8_t> bytes(p, p + 12);
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x4D, 0x3C, 0x2B, 0x1A, 0x00, 0x4B, 0x12, 0x00, 4, 2, 1, 0}));
    const auto info = ReadInfoPayload(*record);
    EXPECT_EQ(info.extendedAddress, 0x00124B001A2B3C4Dull);
}

TEST(ParseResponse, InfoAddressKeepsTheNibbleBeforeABadCharacter) {
    // Pair "1G" keeps 0x01; pair "G1" leaves its byte 0; the next pair converts normally.
    const auto record = Parse(Line("+INFO,1GG1FF00000000AB,P2P,COORD,ACT,1"));
    ASSERT_EQ(record->kind, RespInfo);
    EXPECT_EQ(ReadInfoPayload(*record).extendedAddress, 0x0100FF00000000ABull);
}

TEST(ParseResponse, ActiveAddressMostSignificantPairFirst) {
    const auto record = Parse(Line("+ACTIVE,0102030405060708"));
    EXPECT_EQ(ReadU64(*record, 0), 0x0102030405060708ull);
    EXPECT_EQ(record->payload[0], 0x08);
    EXPECT_EQ(record->payload[7], 0x01);
}

TEST(ParseResponse, NumericFieldsStoredAtTheirWidth) {
    const auto net = ReadNetInfoPayload(*Parse(Line("+NETINFO,12,128,65534,FH")));
    EXPECT_EQ(net.phyId, 12);
    EXPECT_EQ(net.rfChannel, 128);
    EXPECT_EQ(net.panId, 65534);
    EXPECT_EQ(net.userPanId, 0);
    EXPECT_EQ(net.channelMode, 1);

    EXPECT_EQ(Parse(Line("+RFCH,257"))->payload[0], 1);
    EXPECT_EQ(Parse(Line("+RFCH,128"))->payload[0], 128);
    EXPECT_EQ(ReadU16(*Parse(Line("+PANID,70000")), 0), 70000 & 0xFFFF);
    EXPECT_EQ(ReadU16(*Parse(Line("+UPANID,-1")), 0), 0xFFFF);
    EXPECT_EQ(ReadU16(*Parse(Line("+PHYID, 13x")), 0), 13);
    EXPECT_EQ(Parse(Line("+QM,256"))->payload[0], 0);
    EXPECT_EQ(Parse(Line("+QM,7"))->payload[0], 1);
    EXPECT_EQ(Parse(Line("+RTRSSI,-70"))->payload[0], static_cast<std::uint8_t>(-70));
    EXPECT_EQ(Parse(Line("+RTSTATUS,258"))->payload[0], 2);  // the low byte is checked

    const auto gpio = ReadGpioEntry(*Parse(Line("+GPIOC,268,1,2")));  // 268 = 0x10C: low byte 12
    EXPECT_EQ(gpio.pin, 12);
    EXPECT_EQ(gpio.ioMode, 1);
    EXPECT_EQ(gpio.pinConfig, 2);

    const auto periodic = Parse(Line("+GPIOP,-5,1"));
    EXPECT_EQ(ReadGpioPeriodicPayload(*periodic).reportInterval, -5);
    EXPECT_EQ(ReadGpioPeriodicPayload(*periodic).sendRemote, 1);
    EXPECT_EQ(std::vector<std::uint8_t>(periodic->payload.begin() + 5, periodic->payload.begin() + 8),
              std::vector<std::uint8_t>(3, 0));
}

TEST(ParseResponse, HugeNumbersHaveADefinedResult) {
    EXPECT_EQ(ReadU16(*Parse(Line("+PANID,99999999999999999999")), 0), 0xFFFF);
    EXPECT_EQ(ReadU16(*Parse(Line("+PANID,-99999999999999999999")), 0), 0x0000);
    EXPECT_EQ(Parse(Line("+NETINFO,99999999999999999999,1,1,BC"))->kind, ResultBadResponse);
    EXPECT_EQ(ReadGpioPeriodicPayload(*Parse(Line("+GPIOP,99999999999,0"))).reportInterval, 2147483647);
}

TEST(ParseResponse, TextPayloads) {
    const auto version = Parse(Line("+VER,1.5.0,build 7"));  // text runs to the end of the line
    EXPECT_EQ(ReadText(*version), "1.5.0,build 7");
    EXPECT_EQ(ReadText(*Parse(Line("+VER,"))), "");

    const std::string longName(200, 'M');
    const auto model = Parse(Line("+MODELNAME," + longName));
    EXPECT_EQ(ReadText(*model), longName.substr(0, 127));
    EXPECT_EQ(model->payload[127], 0);
}

TEST(ParseResponse, LastMultiFieldRunsToLineEnd) {
    EXPECT_EQ(ReadGpioEntry(*Parse(Line("+GPIOC,1,2,2,9"))).pinConfig, 2);  // "2,9" reads as 2
    EXPECT_EQ(Parse(Line("+GPIOP,1000,1,0"))->kind, ResultBadResponse);    // keyword must match whole
}

}  // namespace
}  // namespace q470
