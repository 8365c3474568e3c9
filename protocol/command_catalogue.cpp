#include "command_catalogue.h"

#include <cstdio>

namespace q470 {
namespace {

constexpr auto kNoData = static_cast<ResponseKind>(0);
constexpr std::uint32_t kByte = 0xFFu;
constexpr std::uint32_t kWord = 0xFFFFu;

using F = CommandForm;
using C = Completion;

}  // namespace

constexpr std::array<CommandEntry, kCommandCount> kCommandCatalogue{{
    {CmdAt, "AT\r", F::Fixed, 0, C::OkOrError, kNoData},
    {CmdInfoQuery, "AT+INFO?\r", F::Fixed, 0, C::DataLine, RespInfo},
    {CmdNetInfoQuery, "AT+NETINFO?\r", F::Fixed, 0, C::DataLine, RespNetInfo},
    {CmdVersionQuery, "AT+VER?\r", F::Fixed, 0, C::DataLine, RespVersion},
    {CmdReserved6, nullptr, F::None, 0, C::OkOrError, kNoData},
    {CmdUartSet, "AT+UART=%u,%u,%u,%u\r", F::Uart, 0, C::OkOrError, kNoData},
    {CmdPanIdQuery, nullptr, F::None, 0, C::DataLine, RespPanId},
    {CmdPanIdSet, "AT+PANID=%u\r", F::OneValue, kWord, C::OkOrError, kNoData},
    {CmdReserved10, nullptr, F::None, 0, C::Nothing, kNoData},
    {CmdNetRoleSet, "AT+NETROLE=%u\r", F::OneValue, kByte, C::OkOrError, kNoData},
    {CmdRfChannelQuery, nullptr, F::None, 0, C::DataLine, RespRfChannel},
    {CmdRfChannelSet, "AT+RFCH=%u\r", F::OneValue, kByte, C::OkOrError, kNoData},
    // Completed by the record the device link assembles from the thirteen "+GPIOC" lines.
    {CmdGpioConfigQuery, "AT+GPIOC?\r", F::Fixed, 0, C::DataLine, RespGpioConfig},
    {CmdGpioConfigSet, "AT+GPIOC=%04X,%u,%u\r", F::GpioConfig, 0, C::OkOrError, kNoData},
    {CmdGpioPeriodicQuery, "AT+GPIOP?\r", F::Fixed, 0, C::DataLine, RespGpioPeriodic},
    {CmdGpioPeriodicSet, "AT+GPIOP=%u,%u\r", F::GpioPeriodic, 0, C::OkOrError, kNoData},
    {CmdOpModeSet, "AT+OPMODE=%u\r", F::OneValue, kByte, C::OkOrError, kNoData},
    {CmdRestart, "ATZ\r", F::Fixed, 0, C::Ready, kNoData},
    {CmdFactoryReset, "AT&F\r", F::Fixed, 0, C::Ready, kNoData},
    {CmdReserved21, nullptr, F::None, 0, C::Ready, kNoData},
    {CmdReserved22, nullptr, F::None, 0, C::OkOrError, kNoData},
    {CmdReserved23, nullptr, F::None, 0, C::OkOrError, kNoData},
    {CmdRtStatusQuery, nullptr, F::None, 0, C::DataLine, RespRtStatus},
    {CmdReserved25, nullptr, F::None, 0, C::OkOrError, kNoData},
    {CmdPhyIdQuery, nullptr, F::None, 0, C::DataLine, RespPhyId},
    {CmdPhyIdSet, "AT+PHYID=%u\r", F::OneValue, kByte, C::OkOrError, kNoData},
    {CmdQuietModeQuery, "AT+QM?\r", F::Fixed, 0, C::DataLine, RespQuietMode},
    {CmdQuietModeSet, "AT+QM=%u\r", F::OneValue, kByte, C::OkOrError, kNoData},
    {CmdModelNameQuery, "AT+MODELNAME?\r", F::Fixed, 0, C::DataLine, RespModelName},
    {CmdUserPanIdQuery, "AT+UPANID?\r", F::Fixed, 0, C::DataLine, RespUserPanId},
    {CmdUserPanIdSet, "AT+UPANID=%u\r", F::OneValue, kWord, C::OkOrError, kNoData},
    {CmdAssocClear, "AT+ASSOCCLR\r", F::Fixed, 0, C::Ready, kNoData},
    {CmdRxPullUpQuery, "AT+URPU?\r", F::Fixed, 0, C::DataLine, RespRxPullUp},
    {CmdRxPullUpSet, "AT+URPU=%u\r", F::OneValue, kByte, C::OkOrError, kNoData},
}};

namespace {

// A lookup is an index: row i must hold identifier kFirstCommandId + i.
constexpr bool RowsAreInOrder() {
    for (std::size_t i = 0; i < kCommandCatalogue.size(); ++i) {
        if (static_cast<std::size_t>(kCommandCatalogue[i].id - kFirstCommandId) != i) return false;
    }
    return true;
}
static_assert(RowsAreInOrder(), "one row per identifier, in the order of the identifiers");
static_assert(kCommandCatalogue.back().id == CmdEnd - 1, "the last row is the last identifier");

// The row of `id` when it is made in `form`, else nullptr.
const CommandEntry* FindForm(CommandId id, CommandForm form) {
    const CommandEntry* entry = FindCommand(id);
    return entry != nullptr && entry->form == form ? entry : nullptr;
}

template <typename... Args>
std::string Format(const CommandEntry* entry, Args... args) {
    if (entry == nullptr) return {};
    std::array<char, 64> buffer{};
    const int length = std::snprintf(buffer.data(), buffer.size(), entry->text, args...);
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

}  // namespace

const CommandEntry* FindCommand(CommandId id) {
    if (id < kFirstCommandId || id >= CmdEnd) return nullptr;
    return &kCommandCatalogue[static_cast<std::size_t>(id - kFirstCommandId)];
}

const char* CommandText(CommandId id) {
    const CommandEntry* entry = FindForm(id, CommandForm::Fixed);
    return entry != nullptr ? entry->text : nullptr;
}

std::string FormatSetCommand(CommandId id, std::uint32_t value) {
    const CommandEntry* entry = FindForm(id, CommandForm::OneValue);
    return Format(entry, static_cast<unsigned>(entry != nullptr ? value & entry->mask : 0));
}

std::string FormatUartSet(std::uint32_t baudRate, std::uint8_t stopBits, std::uint8_t parity, std::uint8_t dataBits) {
    return Format(FindForm(CmdUartSet, CommandForm::Uart), static_cast<unsigned>(baudRate), unsigned{stopBits},
                  unsigned{parity}, unsigned{dataBits});
}

std::string FormatGpioConfigSet(std::uint16_t pinMask, std::uint8_t ioMode, std::uint8_t pinConfig) {
    return Format(FindForm(CmdGpioConfigSet, CommandForm::GpioConfig), unsigned{pinMask}, unsigned{ioMode},
                  unsigned{pinConfig});
}

std::string FormatGpioPeriodicSet(std::uint32_t reportInterval, std::uint8_t sendRemote) {
    return Format(FindForm(CmdGpioPeriodicSet, CommandForm::GpioPeriodic), static_cast<unsigned>(reportInterval),
                  unsigned{sendRemote});
}

std::uint16_t GpioPinMask(std::uint8_t pinIndex) {
    return static_cast<std::uint16_t>(std::uint32_t{1} << (pinIndex % 32u));
}

bool IsRestartLike(CommandId id) {
    const CommandEntry* entry = FindCommand(id);
    return entry != nullptr && entry->completion == Completion::Ready;
}

bool IsDataQuery(CommandId id) {
    const CommandEntry* entry = FindCommand(id);
    return entry != nullptr && entry->completion == Completion::DataLine;
}

bool CompletesCommand(CommandId id, std::int32_t kind) {
    const CommandEntry* entry = FindCommand(id);
    if (entry == nullptr || kind == ResultBadResponse) return false;
    switch (entry->completion) {
        case Completion::OkOrError:
            return kind == RespOk || kind == RespError;
        case Completion::DataLine:
            return kind == entry->dataKind;
        case Completion::Ready:
            return kind == RespOk || kind == RespReady || kind == RespReadyDebug;
        case Completion::Nothing:
            break;
    }
    return false;
}

bool IsAcceptedPanId(std::uint16_t panId) {
    return panId != 0 && panId != 0xFFFEu && panId != 0xFFFFu;
}

namespace {

// What the catalogue has no row for is left to whatever OK or ERROR ends.
constexpr CommandId kOkOrError = CmdReserved6;

// "AT+UART=" from "AT+UART=%u,%u,%u,%u\r": what every command of a row with parameters starts with.
std::string_view Keyword(std::string_view format) {
    const auto equals = format.find('=');
    return equals == std::string_view::npos ? std::string_view() : format.substr(0, equals + 1);
}

bool Matches(const CommandEntry& entry, std::string_view text) {
    if (entry.text == nullptr) return false;
    const std::string_view command(entry.text);
    if (entry.form == CommandForm::Fixed) return command.substr(0, command.size() - 1) == text;
    const std::string_view keyword = Keyword(command);
    return !keyword.empty() && text.size() > keyword.size() && text.substr(0, keyword.size()) == keyword;
}

}  // namespace

CommandId CommandIdForText(std::string_view text) {
    for (const CommandEntry& entry : kCommandCatalogue) {
        if (Matches(entry, text)) return entry.id;
    }
    return kOkOrError;
}

}  // namespace q470
