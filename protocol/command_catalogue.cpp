#include "command_catalogue.h"

#include <array>
#include <cstdio>

#include "response_kind.h"

namespace q470 {
namespace {

struct FixedCommand {
    CommandId id;
    const char* text;
};

constexpr std::array<FixedCommand, 13> kFixedCommands{{
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
}};

struct SetCommand {
    CommandId id;
    const char* keyword;
    std::uint32_t mask;  // the parameter's width
};

constexpr std::array<SetCommand, 8> kSetCommands{{
    {CmdPanIdSet, "AT+PANID=", 0xFFFFu},
    {CmdNetRoleSet, "AT+NETROLE=", 0xFFu},
    {CmdRfChannelSet, "AT+RFCH=", 0xFFu},
    {CmdOpModeSet, "AT+OPMODE=", 0xFFu},
    {CmdPhyIdSet, "AT+PHYID=", 0xFFu},
    {CmdQuietModeSet, "AT+QM=", 0xFFu},
    {CmdUserPanIdSet, "AT+UPANID=", 0xFFFFu},
    {CmdRxPullUpSet, "AT+URPU=", 0xFFu},
}};

// The queries that only their own data line completes; an ERROR answer leaves them to time out.
struct DataQuery {
    CommandId id;
    ResponseKind kind;
};

constexpr std::array<DataQuery, 13> kDataQueries{{
    {CmdInfoQuery, RespInfo},
    {CmdNetInfoQuery, RespNetInfo},
    {CmdVersionQuery, RespVersion},
    {CmdPanIdQuery, RespPanId},
    {CmdRfChannelQuery, RespRfChannel},
    {CmdGpioConfigQuery, RespGpioConfig},
    {CmdGpioPeriodicQuery, RespGpioPeriodic},
    {CmdRtStatusQuery, RespRtStatus},
    {CmdPhyIdQuery, RespPhyId},
    {CmdQuietModeQuery, RespQuietMode},
    {CmdModelNameQuery, RespModelName},
    {CmdUserPanIdQuery, RespUserPanId},
    {CmdRxPullUpQuery, RespRxPullUp},
}};

template <typename... Args>
std::string Format(const char* format, Args... args) {
    std::array<char, 64> buffer{};
    const int length = std::snprintf(buffer.data(), buffer.size(), format, args...);
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

}  // namespace

const char* CommandText(CommandId id) {
    for (const auto& command : kFixedCommands) {
        if (command.id == id) return command.text;
    }
    return nullptr;
}

std::string FormatSetCommand(CommandId id, std::uint32_t value) {
    for (const auto& command : kSetCommands) {
        if (command.id == id) return Format("%s%u\r", command.keyword, static_cast<unsigned>(value & command.mask));
    }
    return {};
}

std::string FormatUartSet(std::uint32_t baudRate, std::uint8_t stopBits, std::uint8_t parity, std::uint8_t dataBits) {
    return Format("AT+UART=%u,%u,%u,%u\r", static_cast<unsigned>(baudRate), unsigned{stopBits}, unsigned{parity},
                  unsigned{dataBits});
}

std::string FormatGpioConfigSet(std::uint16_t pinMask, std::uint8_t ioMode, std::uint8_t pinConfig) {
    return Format("AT+GPIOC=%04X,%u,%u\r", unsigned{pinMask}, unsigned{ioMode}, unsigned{pinConfig});
}

std::string FormatGpioPeriodicSet(std::uint32_t reportInterval, std::uint8_t sendRemote) {
    return Format("AT+GPIOP=%u,%u\r", static_cast<unsigned>(reportInterval), unsigned{sendRemote});
}

std::uint16_t GpioPinMask(std::uint8_t pinIndex) {
    return static_cast<std::uint16_t>(std::uint32_t{1} << (pinIndex % 32u));
}

bool IsRestartLike(CommandId id) {
    return id == CmdRestart || id == CmdFactoryReset || id == CmdReserved21 || id == CmdAssocClear;
}

bool IsDataQuery(CommandId id) {
    for (const auto& query : kDataQueries) {
        if (query.id == id) return true;
    }
    return false;
}

bool CompletesCommand(CommandId id, std::int32_t kind) {
    if (kind == ResultBadResponse) return false;
    if (id < CmdAt || id > CmdRxPullUpSet) return false;
    if (id == CmdReserved10) return false;
    for (const auto& query : kDataQueries) {
        if (query.id == id) return kind == query.kind;
    }
    // Restart-type commands are answered OK and later "+READY"; whichever comes first ends them.
    if (IsRestartLike(id)) return kind == RespOk || kind == RespReady || kind == RespReadyDebug;
    return kind == RespOk || kind == RespError;
}

bool IsAcceptedPanId(std::uint16_t panId) {
    return panId != 0 && panId != 0xFFFEu && panId != 0xFFFFu;
}

}  // namespace q470
