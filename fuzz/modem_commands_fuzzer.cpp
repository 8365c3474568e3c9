// Sends arbitrary bytes to the simulated modem's logic: the command framer cuts them into command
// lines, the AT parser takes each line apart and the device answers it.
//
// Input: a byte choosing the model and firmware, a byte choosing the size of the pieces the bytes
// arrive in ((byte % 64) + 1), then the bytes sent to the device.

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "at_command.h"
#include "command_framer.h"
#include "fuzz_check.h"
#include "modem_device.h"
#include "modem_settings.h"

namespace q470::sim {
namespace {

constexpr std::size_t kMaxLineBytes = 255;  // what the application's frame extractor takes
constexpr std::size_t kMaxPieceBytes = 64;
constexpr std::array<ModemModel, 3> kModels{ModemModel::Q470R, ModemModel::KS410, ModemModel::KS400};
constexpr std::array<const char*, 6> kFirmwares{"1.5.0", "1.4.9", "1.12.3", "2.0.0", "1.5", "0.9.0"};
constexpr std::string_view kOk = "\r\nOK\r\n";
constexpr std::string_view kError = "\r\nERROR\r\n";
constexpr std::string_view kReady = "\r\n+READY\r\n";

auto Tie(const ModemSettings& s) {
    return std::tie(s.model, s.modelName, s.firmware, s.extendedAddress, s.opMode, s.netRole, s.linkActive,
                    s.normalMode, s.phyId, s.rfChannel, s.panId, s.userPanId, s.frequencyHopping, s.baudRate,
                    s.stopBits, s.parity, s.dataBits, s.quietMode, s.rxPullUp, s.reportInterval, s.sendRemote);
}

bool SameSettings(const ModemSettings& a, const ModemSettings& b) {
    if (Tie(a) != Tie(b)) return false;
    for (std::size_t pin = 0; pin < a.gpio.size(); ++pin) {
        if (a.gpio[pin].ioMode != b.gpio[pin].ioMode || a.gpio[pin].pinConfig != b.gpio[pin].pinConfig) return false;
    }
    return true;
}

// "\r\n" + text + "\r\n", the text without line ends, short enough for the application to take.
void CheckLine(std::string_view line) {
    Q470_FUZZ_CHECK(line.size() >= 4 && line.size() <= kMaxLineBytes);
    Q470_FUZZ_CHECK(line.substr(0, 2) == "\r\n" && line.substr(line.size() - 2) == "\r\n");
    Q470_FUZZ_CHECK(line.substr(2, line.size() - 4).find_first_of("\r\n") == std::string_view::npos);
}

void CheckCommandBytes(const ReceivedCommand& command) {
    const std::string& bytes = command.bytes;
    Q470_FUZZ_CHECK(!bytes.empty() && bytes.back() == '\r' && bytes.find('\r') == bytes.size() - 1);
    Q470_FUZZ_CHECK(bytes.size() <= CommandFramer::kMaxCommandBytes + 1);
    if (command.overlong) Q470_FUZZ_CHECK(bytes.size() == CommandFramer::kMaxCommandBytes + 1);
}

std::vector<ReceivedCommand> Frame(std::string_view stream, std::size_t piece) {
    CommandFramer framer;
    std::vector<ReceivedCommand> commands;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
        framer.Feed(stream.substr(at, piece), SteadyTime{}, std::chrono::nanoseconds{0}, commands);
    }
    return commands;
}

std::string Rebuild(const AtCommand& command) {
    switch (command.form) {
        case AtForm::Action:
            return command.keyword;
        case AtForm::Query:
            return command.keyword + "?";
        case AtForm::Set:
            break;
    }
    std::string text = command.keyword + "=";
    for (std::size_t i = 0; i < command.parameters.size(); ++i) text += (i ? "," : "") + command.parameters[i];
    return text;
}

// Unsigned decimal and four-digit hexadecimal parameters against the standard library's conversion.
void CheckParameterConversions(const std::string& text) {
    for (const std::uint32_t max : {1u, 128u, 65533u, std::numeric_limits<std::uint32_t>::max()}) {
        std::uint64_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        const bool digitsOnly = text.find_first_not_of("0123456789") == std::string::npos;
        const bool valid =
            !text.empty() && digitsOnly && error == std::errc{} && end == text.data() + text.size() && value <= max;
        const auto parsed = ParseDecimalParameter(text, max);
        Q470_FUZZ_CHECK(parsed.has_value() == valid);
        if (valid) Q470_FUZZ_CHECK(*parsed == value);
    }
    std::uint16_t mask = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), mask, 16);
    const bool valid = text.size() == 4 && error == std::errc{} && end == text.data() + text.size();
    const auto parsed = ParseHex4Parameter(text);
    Q470_FUZZ_CHECK(parsed.has_value() == valid);
    if (valid) Q470_FUZZ_CHECK(*parsed == mask);
}

std::optional<AtCommand> ParseAndCheck(std::string_view text) {
    auto command = ParseAtCommand(text);
    if (!command) return command;
    Q470_FUZZ_CHECK(Rebuild(*command) == text);
    Q470_FUZZ_CHECK(command->form == AtForm::Set || command->parameters.empty());
    Q470_FUZZ_CHECK(command->keyword.find_first_of("?=,") == std::string::npos);
    for (const std::string& parameter : command->parameters) CheckParameterConversions(parameter);
    return command;
}

void CheckReply(const ModemReply& reply, bool quiet) {
    for (const std::string& line : reply.dataLines) CheckLine(line);
    if (!reply.resultLine.empty()) CheckLine(reply.resultLine);
    if (!reply.laterLine.empty()) Q470_FUZZ_CHECK(reply.laterLine == kReady);
    Q470_FUZZ_CHECK(quiet ? reply.resultLine.empty() : reply.resultLine == kOk || reply.resultLine == kError);
    if (reply.resultLine == kError) Q470_FUZZ_CHECK(reply.dataLines.empty() && reply.laterLine.empty());
}

std::vector<std::string> QueryCopy(const ModemDevice& device, const std::string& keyword) {
    ModemDevice copy = device;
    return copy.Handle(keyword + "?").dataLines;
}

struct NumberSetting {
    std::string_view keyword;
    std::string_view answerPrefix;
};

constexpr std::array<NumberSetting, 6> kNumberSettings{{
    {"AT+PANID", "+PANID,"},
    {"AT+UPANID", "+UPANID,"},
    {"AT+RFCH", "+RFCH,"},
    {"AT+PHYID", "+PHYID,"},
    {"AT+QM", "+QM,"},
    {"AT+URPU", "+URPU,"},
}};

std::string Canonical(const std::string& digits) {
    return std::to_string(std::stoull(digits));
}

// What the device acknowledged setting, its query answers.
void CheckSetThenQuery(const ModemDevice& device, const AtCommand& command) {
    const std::vector<std::string>& p = command.parameters;
    for (const auto& setting : kNumberSettings) {
        if (command.keyword != setting.keyword) continue;
        const auto lines = QueryCopy(device, command.keyword);
        Q470_FUZZ_CHECK(lines.size() == 1 &&
                        lines[0] == "\r\n" + std::string(setting.answerPrefix) + Canonical(p[0]) + "\r\n");
    }
    if (command.keyword == "AT+GPIOP") {
        const auto lines = QueryCopy(device, command.keyword);
        Q470_FUZZ_CHECK(lines.size() == 1 &&
                        lines[0] == "\r\n+GPIOP," + Canonical(p[0]) + "," + Canonical(p[1]) + "\r\n");
    }
    if (command.keyword == "AT+GPIOC") {
        const unsigned mask = *ParseHex4Parameter(p[0]);
        const int pin = __builtin_ctz(mask);
        const auto lines = QueryCopy(device, command.keyword);
        Q470_FUZZ_CHECK(lines.size() == 13 &&
                        lines[static_cast<std::size_t>(pin)] == "\r\n+GPIOC," + std::to_string(pin) + "," +
                                                                    Canonical(p[1]) + "," + Canonical(p[2]) + "\r\n");
    }
}

void Handle(ModemDevice& device, const ReceivedCommand& received) {
    CheckCommandBytes(received);
    const std::string_view text(received.bytes.data(), received.bytes.size() - 1);
    const auto command = ParseAndCheck(text);
    const ModemSettings before = device.Settings();
    const ModemReply reply = received.overlong ? device.Refuse() : device.Handle(text);
    CheckReply(reply, device.Settings().quietMode);

    const bool refused = reply.resultLine == kError || received.overlong || !command;
    const bool changesNothing = command && command->form != AtForm::Set && command->keyword != "AT&F";
    // A refused command, a query or a plain acknowledgement leaves the settings alone.
    if (refused || changesNothing) Q470_FUZZ_CHECK(SameSettings(before, device.Settings()));
    if (refused && !before.quietMode) Q470_FUZZ_CHECK(reply.resultLine == kError);
    if (!refused && reply.resultLine == kOk && command->form == AtForm::Set) CheckSetThenQuery(device, *command);
}

}  // namespace
}  // namespace q470::sim

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace q470::sim;
    if (size < 2) return 0;
    const ModemModel model = kModels[data[0] % kModels.size()];
    const char* firmware = kFirmwares[data[0] / kModels.size() % kFirmwares.size()];
    const std::size_t piece = data[1] % kMaxPieceBytes + 1;
    const std::string_view stream(reinterpret_cast<const char*>(data + 2), size - 2);

    // The framer keeps its state between reads: however the bytes are cut, the same commands come out.
    const auto commands = Frame(stream, piece);
    const auto whole = Frame(stream, stream.size() + 1);
    Q470_FUZZ_CHECK(commands.size() == whole.size());
    for (std::size_t i = 0; i < commands.size(); ++i) {
        Q470_FUZZ_CHECK(commands[i].bytes == whole[i].bytes && commands[i].overlong == whole[i].overlong);
    }

    ModemDevice device(FactorySettings(model, firmware));
    for (const auto& command : commands) Handle(device, command);
    return 0;
}
