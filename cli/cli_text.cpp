#include "cli_text.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

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

bool SystemIsKorean() {
#ifdef _WIN32
    // A Windows program inherits no locale variables unless a shell sets them: the interface language does.
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_KOREAN;
#else
    return false;
#endif
}

}  // namespace

std::string FillPlaceholders(std::string_view format, std::initializer_list<std::string_view> args) {
    std::string text;
    text.reserve(format.size());
    for (std::size_t i = 0; i < format.size(); ++i) {
        const bool placeholder = format[i] == '{' && i + 2 < format.size() && format[i + 2] == '}' &&
                                 format[i + 1] >= '0' && format[i + 1] <= '9';
        const std::size_t index = placeholder ? static_cast<std::size_t>(format[i + 1] - '0') : args.size();
        if (index < args.size()) {
            text += *(args.begin() + index);
            i += 2;
        } else {
            text += format[i];
        }
    }
    return text;
}

bool LocaleIsKorean(std::string_view name) {
    if (name.size() < 2 || (name.substr(0, 2) != "ko" && name.substr(0, 2) != "KO")) return false;
    return name.size() == 2 || name[2] == '_' || name[2] == '.' || name[2] == '@' || name[2] == '-';
}

UiLanguage LanguageFromEnvironment(const char* q470Lang, const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* locale : {lcAll, lcMessages, lang}) {
        if (locale != nullptr && *locale != '\0') return ChooseUiLanguage(q470Lang, LocaleIsKorean(locale));
    }
    return ChooseUiLanguage(q470Lang, SystemIsKorean());
}

CliText CliText::FromEnvironment() {
    return CliText(LanguageFromEnvironment(std::getenv("Q470_LANG"), std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                                           std::getenv("LANG")));
}

std::string CliText::Text(UiText id) const {
    return ForTerminal(UiTextUtf8(id, language_));
}

std::string CliText::Format(UiText id, long long value) const {
    return ForTerminal(FillNumber(UiTextUtf8(id, language_), value));
}

std::string CliText::Text(ToolText id) const {
    return ToolTextUtf8(id, language_);
}

std::string CliText::Text(ToolText id, std::initializer_list<std::string_view> args) const {
    return FillPlaceholders(ToolTextUtf8(id, language_), args);
}

std::string CliText::SettingModeText() const {
    return Text(UiText::SettingMode);
}

}  // namespace q470
