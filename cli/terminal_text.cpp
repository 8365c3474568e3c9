#include "terminal_text.h"

#include "json_out.h"

namespace q470 {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr unsigned char kDelete = 0x7F;
// U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F in UTF-8.
constexpr unsigned char kC1Lead = 0xC2;
constexpr unsigned char kC1Last = 0x9F;

void AppendEscaped(std::string& out, unsigned char byte) {
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

std::string Escaped(std::string_view text, bool keepLineEnds) {
    // ValidUtf8 already writes the bytes that are not UTF-8 as \xNN; what is left is valid UTF-8.
    const std::string valid = ValidUtf8(text);
    std::string out;
    out.reserve(valid.size());
    for (std::size_t i = 0; i < valid.size(); ++i) {
        const auto byte = static_cast<unsigned char>(valid[i]);
        if (byte == '\n' && keepLineEnds) {
            out += '\n';
        } else if (byte < 0x20 || byte == kDelete) {
            AppendEscaped(out, byte);
        } else if (byte == kC1Lead && i + 1 < valid.size() && static_cast<unsigned char>(valid[i + 1]) <= kC1Last) {
            AppendEscaped(out, byte);
            AppendEscaped(out, static_cast<unsigned char>(valid[++i]));
        } else {
            out += valid[i];
        }
    }
    return out;
}

}  // namespace

std::string PrintableText(std::string_view text) {
    return Escaped(text, false);
}

std::string TerminalText(std::string_view text) {
    return Escaped(text, true);
}

}  // namespace q470
