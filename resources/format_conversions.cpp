#include "format_conversions.h"

#include <string>

namespace q470 {
namespace {

// The conversions of a format, each as its length modifiers and letter ("s", "u", "lld", ".0f").
std::string Conversions(std::string_view format) {
    std::string found;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        std::size_t end = i + 1;
        while (end < format.size() &&
               std::string_view("-+ #0123456789.*hlLqjzt").find(format[end]) != std::string_view::npos)
            ++end;
        if (end < format.size() && format[end] == '%' && end == i + 1) {
            i = end;
            continue;
        }
        // Widths and precisions may differ between languages; what is read from the arguments may not.
        for (std::size_t at = i + 1; at <= end && at < format.size(); ++at) {
            const char c = format[at];
            if (c == '*' || c == 'h' || c == 'l' || c == 'L' || c == 'q' || c == 'j' || c == 'z' || c == 't' ||
                (at == end))
                found += c;
        }
        found += '|';
        i = end;
    }
    return found;
}

}  // namespace

bool SameConversions(std::string_view format, std::string_view other) {
    return Conversions(format) == Conversions(other);
}

}  // namespace q470
