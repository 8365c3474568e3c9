#include "line_settings.h"

namespace q470::sim {

LineSettings UartOf(const ModemSettings& settings) {
    return {settings.baudRate, settings.dataBits, settings.parity, settings.stopBits};
}

void SetUart(ModemSettings& settings, const LineSettings& line) {
    settings.baudRate = line.baudRate;
    settings.dataBits = line.dataBits;
    settings.parity = line.parity;
    settings.stopBits = line.stopBits;
}

LineSettings FromPortCodes(std::uint32_t baudRate, std::uint8_t dataBits, std::uint8_t parity, std::uint8_t stopBits) {
    const std::uint8_t deviceParity = parity == 1 ? 2 : parity == 2 ? 1 : 0;
    return {baudRate, dataBits, deviceParity, static_cast<std::uint8_t>(stopBits == 2 ? 1 : 0)};
}

std::string Describe(const LineSettings& line) {
    static constexpr char kParity[] = {'N', 'E', 'O'};
    const char parity = line.parity < sizeof kParity ? kParity[line.parity] : '?';
    return std::to_string(line.baudRate) + " " + std::to_string(line.dataBits) + parity +
           std::to_string(line.stopBits == 1 ? 2 : 1);
}

bool Understands(const LineSettings& device, const LineSettings& host) {
    return device.baudRate == host.baudRate && device.stopBits == host.stopBits;
}

std::string Garble(const std::string& bytes) {
    std::string noise = bytes;
    for (char& byte : noise) byte = static_cast<char>((static_cast<unsigned char>(byte) ^ 0x5Au) | 0x80u);
    return noise;
}

}  // namespace q470::sim
