#include "link_traffic.h"

#include <cstdio>

namespace q470 {

std::string EscapeTraffic(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (byte >= 0x20 && byte < 0x7F) {
            text += c;
        } else {
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0x0F];
        }
    }
    return text;
}

std::string TrafficLine(double milliseconds, std::string_view port, LinkTraffic traffic, std::string_view bytes) {
    char time[32];
    std::snprintf(time, sizeof time, "%10.3f", milliseconds);
    std::string line = time;
    if (!port.empty()) line.append(" ").append(port);
    const char* direction = traffic == LinkTraffic::Sent ? ">" : traffic == LinkTraffic::Unfinished ? "<~" : "<";
    return line + " " + direction + " " + EscapeTraffic(bytes);
}

}  // namespace q470
