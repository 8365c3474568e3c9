#include "line_choices.h"

#include <array>
#include <cctype>
#include <string_view>

#include "setting_values.h"

namespace q470 {
namespace {

// The order users most often leave their modems at; 230400 is the rarest and comes last.
constexpr std::array<std::uint32_t, 9> kRatesByUse{9600, 115200, 57600, 38400, 19200, 14400, 4800, 2400, 230400};

// By the words of the line tables: 8N1, 8N2, 8E1, 8O1, 8E2, 8O2.
struct Format {
    std::string_view parity;
    std::string_view stopBits;
};

constexpr std::array<Format, 6> kFormats{
    {{"none", "1"}, {"none", "2"}, {"even", "1"}, {"odd", "1"}, {"even", "2"}, {"odd", "2"}}};

constexpr std::uint8_t kDataBits = 8;
// Characters a probe puts on the line both ways: "AT+QM?\r" and "\r\n+QM,0\r\n\r\nOK\r\n" with room
// for a retry's worth of noise.
constexpr std::uint32_t kProbeCharacters = 40;
constexpr std::uint32_t kBitsPerCharacter = 10;
// What a device takes to turn a command round, on top of the line time.
constexpr std::chrono::milliseconds kDeviceTurnaround{120};

}  // namespace

std::vector<ConnectionLine> SearchLines(bool thorough) {
    std::vector<ConnectionLine> lines;
    const std::size_t formats = thorough ? kFormats.size() : 1;
    for (std::size_t f = 0; f < formats; ++f) {
        const auto parity = static_cast<std::uint8_t>(kLineParityValues.Parse(kFormats[f].parity).value_or(0));
        const auto stopBits = static_cast<std::uint8_t>(kLineStopBitValues.Parse(kFormats[f].stopBits).value_or(0));
        for (const std::uint32_t rate : kRatesByUse) {
            lines.push_back(ConnectionLine{rate, kDataBits, parity, stopBits});
        }
    }
    return lines;
}

std::chrono::milliseconds ProbeWait(const ConnectionLine& line) {
    const std::uint32_t rate = line.baudRate > 0 ? line.baudRate : 1;
    const auto lineTimeMs = (kProbeCharacters * kBitsPerCharacter * 1000u + rate - 1) / rate;
    return kDeviceTurnaround + std::chrono::milliseconds(lineTimeMs);
}

bool SameLine(const ConnectionLine& a, const ConnectionLine& b) {
    return a.baudRate == b.baudRate && a.dataBits == b.dataBits && a.parity == b.parity && a.stopBits == b.stopBits;
}

std::string LineText(const ConnectionLine& line) {
    // N, O or E: the first letter of the parity's word.
    const SettingValue* row = kLineParityValues.Find(line.parity);
    const char parity =
        row != nullptr ? static_cast<char>(std::toupper(static_cast<unsigned char>(row->word[0]))) : '?';
    const char* stopBits = line.stopBits == 2 ? "2" : line.stopBits == 1 ? "1.5" : "1";
    return std::to_string(line.baudRate) + " " + std::to_string(line.dataBits) + parity + stopBits;
}

ConnectionLine LineOfDeviceUart(std::uint32_t baudRate, std::uint8_t dataBits, std::uint8_t deviceParity,
                                std::uint8_t deviceStopBits) {
    const auto parity =
        static_cast<std::uint8_t>(TranslateCode(kDeviceParityValues, deviceParity, kLineParityValues).value_or(0));
    const auto stopBits =
        static_cast<std::uint8_t>(TranslateCode(kDeviceStopBitValues, deviceStopBits, kLineStopBitValues).value_or(0));
    return ConnectionLine{baudRate, dataBits, parity, stopBits};
}

}  // namespace q470
