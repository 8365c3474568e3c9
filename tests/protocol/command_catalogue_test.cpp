#include "command_catalogue.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "response_kind.h"

namespace q470 {
namespace {

TEST(CommandCatalogue, FixedCommandsHaveExactBytes) {
    const std::vector<std::pair<CommandId, std::string>> cases = {
        {CmdAt, "AT\r"},
        {CmdInfoQuery, "AT+INFO?\r"},
        {CmdNetInfoQuery, "AT+NETINFO?\r"},
        {CmdVersionQuery, "AT+VER?\r"},
        {CmdGpioConfigQuery, "AT+GPIOC?\r"},
        {CmdGpioPeriodicQuery, "AT+GPIOP?\r"},
        {CmdRestart, "ATZ\r"},
        {CmdFactoryReset, "AT&F\r"},
        {CmdQuietModeQuery, "AT+QM?\r"},
        {CmdModelNameQuery, "AT+MODELNAME?\r"},
        {CmdUserPanIdQuery, "AT+UPANID?\r"},
        {CmdAssocClear, "AT+ASSOCCLR\r"},
        {CmdRxPullUpQuery, "AT+URPU?\r"},
    };
    for (const auto& [id, text] : cases) {
        ASSERT_NE(CommandText(id), nullptr) << id;
        EXPECT_EQ(CommandText(id), text) << id;
    }
    for (CommandId id : {CmdPanIdSet, CmdUartSet, CmdReserved6, CmdPanIdQuery, static_cast<CommandId>(99)}) {
        EXPECT_EQ(CommandText(id), nullptr) << id;
    }
}

TEST(CommandCatalogue, SetCommandsPrintUnsignedDecimalCutToTheirWidth) {
    struct Case {
        CommandId id;
        std::uint32_t value;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {CmdPanIdSet, 1, "AT+PANID=1\r"},
        {CmdPanIdSet, 65533, "AT+PANID=65533\r"},
        {CmdPanIdSet, 0x12345, "AT+PANID=9029\r"},  // 16-bit parameter
        {CmdNetRoleSet, 2, "AT+NETROLE=2\r"},
        {CmdRfChannelSet, 99, "AT+RFCH=99\r"},
        {CmdRfChannelSet, 300, "AT+RFCH=44\r"},  // 8-bit parameter
        {CmdOpModeSet, 4, "AT+OPMODE=4\r"},
        {CmdPhyIdSet, 12, "AT+PHYID=12\r"},
        {CmdQuietModeSet, 0, "AT+QM=0\r"},
        {CmdUserPanIdSet, 4660, "AT+UPANID=4660\r"},
        {CmdRxPullUpSet, 1, "AT+URPU=1\r"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatSetCommand(c.id, c.value), c.bytes) << c.id;
    EXPECT_EQ(FormatSetCommand(CmdAt, 1), "");
    EXPECT_EQ(FormatSetCommand(CmdUartSet, 1), "");
}

TEST(CommandCatalogue, MultiParameterCommands) {
    EXPECT_EQ(FormatUartSet(115200, 0, 2, 8), "AT+UART=115200,0,2,8\r");
    EXPECT_EQ(FormatUartSet(4294967295u, 255, 255, 255), "AT+UART=4294967295,255,255,255\r");
    EXPECT_EQ(FormatGpioConfigSet(GpioPinMask(3), 1, 2), "AT+GPIOC=0008,1,2\r");
    EXPECT_EQ(FormatGpioConfigSet(GpioPinMask(0), 0, 0), "AT+GPIOC=0001,0,0\r");
    EXPECT_EQ(FormatGpioConfigSet(GpioPinMask(12), 2, 1), "AT+GPIOC=1000,2,1\r");
    EXPECT_EQ(FormatGpioConfigSet(0xABCD, 0, 0), "AT+GPIOC=ABCD,0,0\r");
    EXPECT_EQ(FormatGpioPeriodicSet(1000, 1), "AT+GPIOP=1000,1\r");
    EXPECT_EQ(FormatGpioPeriodicSet(0, 0), "AT+GPIOP=0,0\r");
}

TEST(CommandCatalogue, PinMaskWrapsAtThirtyTwoAndIsCutToSixteenBits) {
    EXPECT_EQ(GpioPinMask(15), 0x8000);
    EXPECT_EQ(GpioPinMask(16), 0);
    EXPECT_EQ(GpioPinMask(32), 1);
    EXPECT_EQ(GpioPinMask(35), 8);
}

TEST(CommandCatalogue, ReservedPanIdsAreRefused) {
    for (std::uint16_t id : {0, 0xFFFE, 0xFFFF}) EXPECT_FALSE(IsAcceptedPanId(id)) << id;
    for (std::uint16_t id : {1, 1234, 65533}) EXPECT_TRUE(IsAcceptedPanId(id)) << id;
}

// Every identifier 0..36 against every kind: the expected set of completing kinds per identifier.
TEST(CommandCatalogue, CompletionTable) {
    const std::set<std::int32_t> okError = {RespOk, RespError};
    const std::set<std::int32_t> restart = {RespOk, RespReady, RespReadyDebug};
    std::map<std::int32_t, std::set<std::int32_t>> expected = {
        {3, {RespInfo}},          {4, {RespNetInfo}},       {5, {RespVersion}},    {8, {RespPanId}},
        {12, {RespRfChannel}},    {14, {RespGpioConfig}},   {16, {RespGpioPeriodic}}, {24, {RespRtStatus}},
        {26, {RespPhyId}},        {28, {RespQuietMode}},    {30, {RespModelName}}, {31, {RespUserPanId}},
        {34, {RespRxPullUp}},     {19, restart},            {20, restart},         {21, restart},
        {33, restart},            {10, {}},
    };
    for (std::int32_t id = 2; id <= 35; ++id) expected.emplace(id, okError);  // no-op where already set
    std::vector<std::int32_t> kinds;
    for (std::int32_t kind = 0; kind <= 40; ++kind) kinds.push_back(kind);
    for (std::int32_t id = 0; id <= 36; ++id) {
        for (std::int32_t kind : kinds) {
            const bool want = expected.count(id) && expected[id].count(kind);
            EXPECT_EQ(CompletesCommand(static_cast<CommandId>(id), kind), want) << "id " << id << " kind " << kind;
        }
    }
    EXPECT_FALSE(CompletesCommand(static_cast<CommandId>(-1), RespOk));
    EXPECT_FALSE(CompletesCommand(static_cast<CommandId>(1000), RespOk));
}

}  // namespace
}  // namespace q470
