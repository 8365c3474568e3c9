#include "utf8_text.h"

#include <cstdio>

namespace q470 {
namespace {

// The length of the UTF-8 sequence at `at`, or 0 when none starts there.
std::size_t Utf8Length(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    std::size_t length = lead >= 0xf0 && lead <= 0xf4   ? 4
                         : lead >= 0xe0 && lead <= 0xef ? 3
                         : lead >= 0xc2 && lead <= 0xdf ? 2
                                                        : 0;
    if (length == 0 || at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xc0) != 0x80) return 0;
    }
    // Overlong forms, surrogates and code points past U+10FFFF.
    const unsigned char second = byte(at + 1);
    if ((lead == 0xe0 && second < 0xa0) || (lead == 0xed && second >= 0xa0) || (lead == 0xf0 && second < 0x90) ||
        (lead == 0xf4 && second >= 0x90))
        return 0;
    return length;
}

}  // namespace

std::string CleanUtf8(const std::string& text, bool escapeControls) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8Length(text, at);
        const auto byte = static_cast<unsigned char>(text[at]);
        if (length == 0 || (escapeControls && (byte < 0x20 || byte == 0x7f))) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
            ++at;
        } else {
            out.append(text, at, length);
            at += length;
        }
    }
    return out;
}

}  // namespace q470
