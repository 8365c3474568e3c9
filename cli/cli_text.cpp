#include "cli_text.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace q470 {
namespace {

std::string ForTerminal(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        plain += text[i];
    }
    while (!plain.empty() && (plain.back() == '\n' || plain.back() == ' ')) plain.pop_back();
    return plain;
}

// The table's formats hold exactly one integer conversion; the tool passes it as the type it names.
std::string FillNumber(const char* format, long long value) {
    const std::string_view view(format);
    const bool isUnsigned = view.find("%u") != std::string_view::npos;
    char buffer[512];
    if (isUnsigned) {
        std::snprintf(buffer, sizeof buffer, format, static_cast<unsigned>(value));
    } else {
        std::snprintf(buffer, sizeof buffer, format, static_cast<int>(value));
    }
    return buffer;
}

}  // namespace

CliText CliText::FromEnvironment() {
    return CliText(ChooseUiLanguage(std::getenv("Q470_LANG"), false));
}

std::string CliText::Text(UiText id) const {
    return ForTerminal(UiTextUtf8(id, language_));
}

std::string CliText::Format(UiText id, long long value) const {
    return ForTerminal(FillNumber(UiTextUtf8(id, language_), value));
}

std::string CliText::SettingModeText() const {
    return Text(UiText::SettingMode);
}

}  // namespace q470
