#include "narrow_text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace q470 {

#ifdef _WIN32

std::u16string NarrowToWide(const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, reinterpret_cast<wchar_t*>(wide.data()), length);
    return wide;
}

std::string WideToNarrow(const std::u16string& text) {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, wide, size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

#else

namespace {

constexpr char32_t kReplacement = 0xFFFD;
// A byte that was not UTF-8, kept as a lone low surrogate (only bytes from 0x80 on can be such a byte).
constexpr char16_t kEscapedByteBase = 0xDC00;
constexpr char16_t kFirstEscapedByte = 0xDC80;
constexpr char16_t kLastEscapedByte = 0xDCFF;

// Decodes one UTF-8 sequence at text[i], advancing i; malformed input gives U+FFFD for one byte.
char32_t DecodeUtf8(const std::string& text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((lead & 0xE0) == 0xC0) { extra = 1; cp = lead & 0x1F; min = 0x80; }
    else if ((lead & 0xF0) == 0xE0) { extra = 2; cp = lead & 0x0F; min = 0x800; }
    else if ((lead & 0xF8) == 0xF0) { extra = 3; cp = lead & 0x07; min = 0x10000; }
    else return kReplacement;
    const std::size_t start = i;
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            i = start;
            return kReplacement;
        }
        cp = (cp << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUtf16(std::u16string& wide, char32_t cp) {
    if (cp >= 0x10000) {
        wide += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        wide += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
        wide += static_cast<char16_t>(cp);
    }
}

}  // namespace

std::u16string NarrowToWide(const std::string& text) {
    std::u16string wide;
    wide.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) AppendUtf16(wide, DecodeUtf8(text, i));
    return wide;
}

std::u16string BytesToWide(const std::string& bytes) {
    std::u16string wide;
    wide.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t start = i;
        const char32_t cp = DecodeUtf8(bytes, i);
        // U+FFFD itself is valid UTF-8; any other replacement stands for bytes that were not.
        const bool decoded = cp != kReplacement || bytes.compare(start, 3, "\xEF\xBF\xBD") == 0;
        if (decoded) {
            AppendUtf16(wide, cp);
        } else {
            i = start + 1;
            wide += static_cast<char16_t>(kEscapedByteBase + static_cast<unsigned char>(bytes[start]));
        }
    }
    return wide;
}

std::string WideToNarrow(const std::u16string& text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            AppendUtf8(narrow, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (char32_t{text[i + 1]} - 0xDC00));
            ++i;
        } else if (unit >= kFirstEscapedByte && unit <= kLastEscapedByte) {
            narrow += static_cast<char>(unit - kEscapedByteBase);
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            narrow += '?';
        } else {
            AppendUtf8(narrow, unit);
        }
    }
    return narrow;
}

#endif

}  // namespace q470
