#include "modem_device.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <limits>
#include <type_traits>
#include <utility>

#include "at_command.h"

namespace q470::sim {
namespace {

using Parameters = std::vector<std::string>;
using Lines = std::vector<std::string>;

constexpr const char* kOkLine = "\r\nOK\r\n";
constexpr const char* kErrorLine = "\r\nERROR\r\n";
constexpr const char* kReadyLine = "\r\n+READY\r\n";

constexpr std::size_t kGpioPins = 13;
constexpr std::uint32_t kMaxPanId = 65533;  // 0, 0xFFFE and 0xFFFF are reserved by the network
constexpr std::uint32_t kMaxRfChannel = 128;
constexpr std::uint32_t kMaxPhyId = 13;
constexpr std::uint32_t kMaxOpMode = 4;
constexpr std::uint32_t kMaxNetRole = 2;
// RX pull-up exists from firmware 1.5.0 on, in version order.
constexpr std::array<std::uint32_t, 3> kFirstRxPullUpFirmware{1, 5, 0};

constexpr std::array<std::uint32_t, 9> kBaudRates{2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200, 230400};
constexpr std::array<const char*, 4> kModeNames{"P2P", "P2PCMD", "MULTI", "MULTICMD"};
constexpr std::array<const char*, 2> kRoleNames{"COORD", "DEV"};

enum class IoMode : std::uint8_t { Input = 0, Output = 1, Alternate = 2 };
constexpr std::uint8_t kStatusLedPin = 2;  // its alternate function has a normal and an inverted drive
constexpr std::array<std::uint8_t, 7> kAlternatePins{2, 3, 4, 5, 6, 8, 9};

enum class Outcome { Refused, Accepted, AcceptedThenReady };

// Which models know a command; the others answer ERROR.
enum class Availability { AllModels, Q470ROnly, KsOnly, Q470RWithRxPullUp };

using Handler = Outcome (*)(ModemSettings&, const Parameters&, Lines&);

struct CommandEntry {
    std::string_view keyword;
    AtForm form;
    Availability availability;
    Handler handler;
};

std::string Line(const std::string& text) {
    return "\r\n" + text + "\r\n";
}

std::string Number(std::uint64_t value) {
    return std::to_string(value);
}

std::string HexAddress(std::uint64_t address) {
    std::array<char, 17> text{};
    std::snprintf(text.data(), text.size(), "%016llX", static_cast<unsigned long long>(address));
    return text.data();
}

// Out-of-range values (only reachable through UpdateSettings) are printed as numbers, so a test can
// make the device send a line the application must reject.
template <std::size_t N>
std::string Keyword(const std::array<const char*, N>& names, std::uint8_t oneBased) {
    if (oneBased >= 1 && oneBased <= N) return names[oneBased - 1];
    return Number(oneBased);
}

const char* Flag(bool on) {
    return on ? "1" : "0";
}

// The leading digits of one dot-separated field; none give 0, too many give the largest value.
std::uint32_t VersionField(std::string_view field) {
    std::uint32_t value = 0;
    const auto result = std::from_chars(field.data(), field.data() + field.size(), value);
    if (result.ec == std::errc::result_out_of_range) return std::numeric_limits<std::uint32_t>::max();
    return value;
}

// major.minor.patch from 1.5.0 on, in version order: 1.5.0, 1.12.3 and 2.0.0 have RX pull-up; 1.4.9
// and 1.5 (no patch field) do not. A fourth field cannot take a version below 1.5.0.
bool FirmwareHasRxPullUp(std::string_view firmware) {
    const std::size_t first = firmware.find('.');
    if (first == std::string_view::npos) return false;
    const std::size_t second = firmware.find('.', first + 1);
    if (second == std::string_view::npos) return false;
    const std::size_t third = firmware.find('.', second + 1);
    const std::array<std::uint32_t, 3> version{
        VersionField(firmware.substr(0, first)), VersionField(firmware.substr(first + 1, second - first - 1)),
        VersionField(firmware.substr(second + 1, third == std::string_view::npos ? third : third - second - 1))};
    return version >= kFirstRxPullUpFirmware;
}

bool IsKsModel(ModemModel model) {
    return model == ModemModel::KS410 || model == ModemModel::KS400;
}

bool IsAvailable(Availability availability, const ModemSettings& settings) {
    switch (availability) {
        case Availability::AllModels:
            return true;
        case Availability::Q470ROnly:
            return settings.model == ModemModel::Q470R;
        case Availability::KsOnly:
            return IsKsModel(settings.model);
        case Availability::Q470RWithRxPullUp:
            return settings.model == ModemModel::Q470R && FirmwareHasRxPullUp(settings.firmware);
    }
    return false;
}

// --- actions ---

Outcome Acknowledge(ModemSettings&, const Parameters&, Lines&) {
    return Outcome::Accepted;
}

Outcome Restart(ModemSettings&, const Parameters&, Lines&) {
    return Outcome::AcceptedThenReady;
}

// Identity (model, name, firmware, address) belongs to the unit, not to its settings.
Outcome FactoryReset(ModemSettings& settings, const Parameters&, Lines&) {
    ModemSettings fresh = FactorySettings(settings.model, settings.firmware);
    fresh.modelName = settings.modelName;
    fresh.extendedAddress = settings.extendedAddress;
    settings = std::move(fresh);
    return Outcome::AcceptedThenReady;
}

// --- queries ---

Outcome QueryInfo(ModemSettings& s, const Parameters&, Lines& lines) {
    lines.push_back(Line("+INFO," + HexAddress(s.extendedAddress) + "," + Keyword(kModeNames, s.opMode) + "," +
                         Keyword(kRoleNames, s.netRole) + "," + (s.linkActive ? "ACT" : "INACT") + "," +
                         Flag(s.normalMode)));
    return Outcome::Accepted;
}

Outcome QueryNetInfo(ModemSettings& s, const Parameters&, Lines& lines) {
    lines.push_back(Line("+NETINFO," + Number(s.phyId) + "," + Number(s.rfChannel) + "," + Number(s.panId) + "," +
                         (s.frequencyHopping ? "FH" : "BC")));
    return Outcome::Accepted;
}

Outcome QueryVersion(ModemSettings& s, const Parameters&, Lines& lines) {
    lines.push_back(Line("+VER," + s.firmware));
    return Outcome::Accepted;
}

Outcome QueryQuietMode(ModemSettings& s, const Parameters&, Lines& lines) {
    lines.push_back(Line(std::string("+QM,") + Flag(s.quietMode)));
    return Outcome::Accepted;
}

Outcome QueryModelName(ModemSettings& s, const Parameters&, Lines& lines) {
    lines.push_back(Line("+MODELNAME," + (s.modelName.empty() ? std::string(ModelName(s.model)) : s.modelName)));
    return Outcome::Accepted;
}

Outcome QueryGpioConfig(ModemSettings& s, const Parameters&, Lines& lines) {
    for (std::size_t pin = 0; pin < kGpioPins; ++pin) {
        lines.push_back(
            Line("+GPIOC," + Number(pin) + "," + Number(s.gpio[pin].ioMode) + "," + Number(s.gpio[pin].pinConfig)));
    }
    return Outcome::Accepted;
}

Outcome QueryGpioPeriodic(ModemSettings& s, const Parameters&, Lines& lines) {
    lines.push_back(Line("+GPIOP," + Number(s.reportInterval) + "," + Flag(s.sendRemote)));
    return Outcome::Accepted;
}

template <auto Member, const char* Prefix>
Outcome QueryNumber(ModemSettings& s, const Parameters&, Lines& lines) {
    lines.push_back(Line(std::string(Prefix) + Number(s.*Member)));
    return Outcome::Accepted;
}

constexpr char kPanIdPrefix[] = "+PANID,";
constexpr char kUserPanIdPrefix[] = "+UPANID,";
constexpr char kRfChannelPrefix[] = "+RFCH,";
constexpr char kPhyIdPrefix[] = "+PHYID,";
constexpr char kRxPullUpPrefix[] = "+URPU,";

// Route status: 1 while the radio link is up, 2 while it is down.
Outcome QueryRtStatus(ModemSettings& s, const Parameters&, Lines& lines) {
    lines.push_back(Line(s.linkActive ? "+RTSTATUS,1" : "+RTSTATUS,2"));
    return Outcome::Accepted;
}

// --- settings ---

template <auto Member, std::uint32_t Min, std::uint32_t Max>
Outcome SetNumber(ModemSettings& s, const Parameters& parameters, Lines&) {
    if (parameters.size() != 1) return Outcome::Refused;
    const auto value = ParseDecimalParameter(parameters[0], Max);
    if (!value || *value < Min) return Outcome::Refused;
    using Field = std::remove_reference_t<decltype(s.*Member)>;
    s.*Member = static_cast<Field>(*value);
    return Outcome::Accepted;
}

bool IsBaudRate(std::uint32_t rate) {
    return std::find(kBaudRates.begin(), kBaudRates.end(), rate) != kBaudRates.end();
}

Outcome SetUart(ModemSettings& s, const Parameters& parameters, Lines&) {
    if (parameters.size() != 4) return Outcome::Refused;
    const auto baud = ParseDecimalParameter(parameters[0], std::numeric_limits<std::uint32_t>::max());
    const auto stopBits = ParseDecimalParameter(parameters[1], 1);
    const auto parity = ParseDecimalParameter(parameters[2], 2);
    const auto dataBits = ParseDecimalParameter(parameters[3], 8);
    if (!baud || !IsBaudRate(*baud) || !stopBits || !parity || !dataBits || *dataBits < 7) return Outcome::Refused;
    s.baudRate = *baud;
    s.stopBits = static_cast<std::uint8_t>(*stopBits);
    s.parity = static_cast<std::uint8_t>(*parity);
    s.dataBits = static_cast<std::uint8_t>(*dataBits);
    return Outcome::Accepted;
}

// The pin whose single bit the mask sets, or nullopt for no bit, several bits or a bit above pin 12.
std::optional<std::uint8_t> PinFromMask(std::uint16_t mask) {
    for (std::uint8_t pin = 0; pin < kGpioPins; ++pin) {
        if (mask == (1u << pin)) return pin;
    }
    return std::nullopt;
}

bool HasAlternateFunction(std::uint8_t pin) {
    return std::find(kAlternatePins.begin(), kAlternatePins.end(), pin) != kAlternatePins.end();
}

// Input: no pull, pull-up, pull-down. Output: low, high. Alternate: push-pull (and inverted on the
// status LED pin).
std::uint32_t MaxPinConfig(std::uint8_t pin, IoMode mode) {
    switch (mode) {
        case IoMode::Input:
            return 2;
        case IoMode::Output:
            return 1;
        case IoMode::Alternate:
            return pin == kStatusLedPin ? 1 : 0;
    }
    return 0;
}

Outcome SetGpioConfig(ModemSettings& s, const Parameters& parameters, Lines&) {
    if (parameters.size() != 3) return Outcome::Refused;
    const auto mask = ParseHex4Parameter(parameters[0]);
    const auto pin = mask ? PinFromMask(*mask) : std::nullopt;
    const auto mode = ParseDecimalParameter(parameters[1], static_cast<std::uint32_t>(IoMode::Alternate));
    if (!pin || !mode) return Outcome::Refused;
    const auto ioMode = static_cast<IoMode>(*mode);
    if (ioMode == IoMode::Alternate && !HasAlternateFunction(*pin)) return Outcome::Refused;
    const auto config = ParseDecimalParameter(parameters[2], MaxPinConfig(*pin, ioMode));
    if (!config) return Outcome::Refused;
    s.gpio[*pin] = GpioPin{static_cast<std::uint8_t>(*mode), static_cast<std::uint8_t>(*config)};
    return Outcome::Accepted;
}

Outcome SetGpioPeriodic(ModemSettings& s, const Parameters& parameters, Lines&) {
    if (parameters.size() != 2) return Outcome::Refused;
    const auto interval = ParseDecimalParameter(parameters[0], std::numeric_limits<std::uint32_t>::max());
    const auto sendRemote = ParseDecimalParameter(parameters[1], 1);
    if (!interval || !sendRemote) return Outcome::Refused;
    s.reportInterval = *interval;
    s.sendRemote = *sendRemote == 1;
    return Outcome::Accepted;
}

using S = ModemSettings;
using A = Availability;

constexpr std::array<CommandEntry, 28> kCommands{{
    {"AT", AtForm::Action, A::AllModels, &Acknowledge},
    {"ATZ", AtForm::Action, A::AllModels, &Restart},
    {"AT&F", AtForm::Action, A::AllModels, &FactoryReset},
    {"AT+ASSOCCLR", AtForm::Action, A::AllModels, &Restart},
    {"AT+INFO", AtForm::Query, A::AllModels, &QueryInfo},
    {"AT+NETINFO", AtForm::Query, A::AllModels, &QueryNetInfo},
    {"AT+VER", AtForm::Query, A::AllModels, &QueryVersion},
    {"AT+QM", AtForm::Query, A::AllModels, &QueryQuietMode},
    {"AT+MODELNAME", AtForm::Query, A::AllModels, &QueryModelName},
    {"AT+RFCH", AtForm::Query, A::AllModels, &QueryNumber<&S::rfChannel, kRfChannelPrefix>},
    {"AT+PHYID", AtForm::Query, A::AllModels, &QueryNumber<&S::phyId, kPhyIdPrefix>},
    {"AT+RTSTATUS", AtForm::Query, A::AllModels, &QueryRtStatus},
    {"AT+PANID", AtForm::Query, A::Q470ROnly, &QueryNumber<&S::panId, kPanIdPrefix>},
    {"AT+GPIOC", AtForm::Query, A::Q470ROnly, &QueryGpioConfig},
    {"AT+GPIOP", AtForm::Query, A::Q470ROnly, &QueryGpioPeriodic},
    {"AT+UPANID", AtForm::Query, A::KsOnly, &QueryNumber<&S::userPanId, kUserPanIdPrefix>},
    {"AT+URPU", AtForm::Query, A::Q470RWithRxPullUp, &QueryNumber<&S::rxPullUp, kRxPullUpPrefix>},
    {"AT+OPMODE", AtForm::Set, A::AllModels, &SetNumber<&S::opMode, 1, kMaxOpMode>},
    {"AT+UART", AtForm::Set, A::AllModels, &SetUart},
    {"AT+QM", AtForm::Set, A::AllModels, &SetNumber<&S::quietMode, 0, 1>},
    {"AT+PANID", AtForm::Set, A::Q470ROnly, &SetNumber<&S::panId, 1, kMaxPanId>},
    {"AT+NETROLE", AtForm::Set, A::Q470ROnly, &SetNumber<&S::netRole, 1, kMaxNetRole>},
    {"AT+RFCH", AtForm::Set, A::Q470ROnly, &SetNumber<&S::rfChannel, 0, kMaxRfChannel>},
    {"AT+PHYID", AtForm::Set, A::Q470ROnly, &SetNumber<&S::phyId, 1, kMaxPhyId>},
    {"AT+GPIOC", AtForm::Set, A::Q470ROnly, &SetGpioConfig},
    {"AT+GPIOP", AtForm::Set, A::Q470ROnly, &SetGpioPeriodic},
    {"AT+UPANID", AtForm::Set, A::KsOnly, &SetNumber<&S::userPanId, 1, kMaxPanId>},
    {"AT+URPU", AtForm::Set, A::Q470RWithRxPullUp, &SetNumber<&S::rxPullUp, 0, 1>},
}};

const CommandEntry* FindCommand(const AtCommand& command) {
    for (const auto& entry : kCommands) {
        if (entry.keyword == command.keyword && entry.form == command.form) return &entry;
    }
    return nullptr;
}

}  // namespace

std::string ModemReply::Bytes() const {
    std::string bytes;
    for (const auto& line : dataLines) bytes += line;
    return bytes + resultLine;
}

ModemDevice::ModemDevice(ModemSettings settings) : settings_(std::move(settings)) {}

ModemReply ModemDevice::Handle(std::string_view line) {
    const auto command = ParseAtCommand(line);
    const CommandEntry* entry = command ? FindCommand(*command) : nullptr;
    if (!entry || !IsAvailable(entry->availability, settings_)) return Refuse();

    Lines lines;
    const Outcome outcome = entry->handler(settings_, command->parameters, lines);
    // Quiet mode is judged after the command, so AT+QM=0 is acknowledged and AT+QM=1 is not.
    ModemReply reply = Finish(outcome != Outcome::Refused);
    reply.dataLines = std::move(lines);
    if (outcome == Outcome::AcceptedThenReady) reply.laterLine = kReadyLine;
    return reply;
}

ModemReply ModemDevice::Refuse() const {
    return Finish(false);
}

ModemReply ModemDevice::Finish(bool accepted) const {
    ModemReply reply;
    if (!settings_.quietMode) reply.resultLine = accepted ? kOkLine : kErrorLine;
    return reply;
}

}  // namespace q470::sim
