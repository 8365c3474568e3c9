#include "json_out.h"

namespace q470 {
namespace {

// The length of the valid UTF-8 sequence at text[i], or 0.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;   // the range the second byte must be in, narrowed for overlongs,
    unsigned char high = 0xBF;  // surrogates and code points beyond U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    if (byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    }
    return length;
}

}  // namespace

std::string ValidUtf8(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string valid;
    valid.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t length = Utf8Length(text, i); length != 0) {
            valid.append(text.substr(i, length));
            i += length;
            continue;
        }
        const auto byte = static_cast<unsigned char>(text[i++]);
        valid += "\\x";
        valid += kHex[byte >> 4];
        valid += kHex[byte & 0x0F];
    }
    return valid;
}

JsonOut& JsonOut::Key(const char* name) {
    writer_.Key(name);
    return *this;
}

void JsonOut::String(std::string_view text) {
    const std::string valid = ValidUtf8(text);
    writer_.String(valid.c_str(), static_cast<rapidjson::SizeType>(valid.size()));
}

void JsonOut::Strings(const std::vector<std::string>& texts) {
    writer_.StartArray();
    for (const auto& text : texts) String(text);
    writer_.EndArray();
}

}  // namespace q470
