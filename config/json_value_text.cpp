#include "json_value_text.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdint>

namespace q470 {
namespace {

constexpr std::size_t kLongestShownString = 40;  // characters
constexpr char32_t kReplacement = 0xFFFD;
constexpr char16_t kFirstHighSurrogate = 0xD800;
constexpr char16_t kFirstLowSurrogate = 0xDC00;
constexpr char16_t kLastLowSurrogate = 0xDFFF;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsHigh(char16_t unit) {
    return unit >= kFirstHighSurrogate && unit < kFirstLowSurrogate;
}

bool IsLow(char16_t unit) {
    return unit >= kFirstLowSurrogate && unit <= kLastLowSurrogate;
}

// The character that starts at `i`, a surrogate pair taken whole (`i` then stands on its second
// unit); a lone surrogate is the replacement character.
char32_t CharacterAt(std::u16string_view text, std::size_t& i) {
    if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) {
        const char32_t c = 0x10000 + ((static_cast<char32_t>(text[i]) - kFirstHighSurrogate) << 10) +
                           (static_cast<char32_t>(text[i + 1]) - kFirstLowSurrogate);
        ++i;
        return c;
    }
    return IsHigh(text[i]) || IsLow(text[i]) ? kReplacement : text[i];
}

// Control characters would break a message line; they are shown as JSON escapes.
void AppendStringCharacter(std::string& out, char32_t c) {
    switch (c) {
        case '"':
            out += "\\\"";
            return;
        case '\\':
            out += "\\\\";
            return;
        default:
            break;
    }
    if (c < 0x20 || c == 0x7F) {
        static const char kHex[] = "0123456789ABCDEF";
        out += "\\u00";
        out += kHex[(c >> 4) & 0xF];
        out += kHex[c & 0xF];
        return;
    }
    AppendUtf8(out, c);
}

std::string QuotedString(std::u16string_view text) {
    std::string out = "\"";
    std::size_t shown = 0;
    for (std::size_t i = 0; i < text.size(); ++i, ++shown) {
        if (shown == kLongestShownString) {
            out += "\u2026";
            break;
        }
        AppendStringCharacter(out, CharacterAt(text, i));
    }
    return out + "\"";
}

std::string DoubleText(double value) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    // NaN and infinity never come out of a strict parse, and the writer refuses them.
    if (!writer.Double(value)) return "?";
    return buffer.GetString();
}

}  // namespace

std::string Utf8FromUtf16(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        AppendUtf8(out, CharacterAt(text, i));
    }
    return out;
}

std::string JsonValueText(const ConfigValue& value) {
    if (value.IsNull()) return "null";
    if (value.IsBool()) return value.GetBool() ? "true" : "false";
    if (value.IsUint64()) return std::to_string(value.GetUint64());
    if (value.IsInt64()) return std::to_string(value.GetInt64());
    if (value.IsNumber()) return DoubleText(value.GetDouble());
    if (value.IsString()) return QuotedString({value.GetString(), value.GetStringLength()});
    if (value.IsObject()) return value.MemberCount() == 0 ? "{}" : "{\u2026}";
    return value.Size() == 0 ? "[]" : "[\u2026]";
}

}  // namespace q470
