#include "line_floor.h"

#include <algorithm>
#include <string_view>

#include "modem_device.h"

namespace q470::bench {

constexpr std::uint32_t kBitsPerCharacter = 10;  // 8N1: start bit, eight data bits, stop bit

LineBytes CountLineBytes(const sim::ModemSettings& settings, const std::vector<std::string>& commands) {
    sim::ModemDevice device(settings);
    LineBytes bytes;
    for (const auto& command : commands) {
        bytes.sent += command.size();
        bytes.received += device.Handle(std::string_view(command).substr(0, command.size() - 1)).Bytes().size();
    }
    return bytes;
}

double LineMs(std::size_t bytes, std::uint32_t baudRate) {
    return double(bytes) * kBitsPerCharacter * 1000.0 / baudRate;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace q470::bench
