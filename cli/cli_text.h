#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "tool_text.h"
#include "ui_text.h"

namespace q470 {

// The texts as the tool prints them, in the language the environment chooses: the window's texts with
// the dialog line ends ("\r\n") turned into plain new lines and no line end at the end, and the tool's own.
class CliText {
public:
    explicit CliText(UiLanguage language) : language_(language) {}
    // Q470_LANG=ko|en decides; otherwise the locale of messages does, as for any program: the first of
    // LC_ALL, LC_MESSAGES and LANG that is set and not empty; Korean when it names Korean ("ko_KR.UTF-8").
    static CliText FromEnvironment();

    UiLanguage Language() const { return language_; }
    std::string Text(UiText id) const;
    // A text with one "%d" or "%u" in it, filled with `value`.
    std::string Format(UiText id, long long value) const;

    std::string Text(ToolText id) const;
    // A text with {0}, {1}... in it, each filled with the argument of that number.
    std::string Text(ToolText id, std::initializer_list<std::string_view> args) const;

    // The last part of the status information of a device in setting mode ("setting mode", "설정 모드").
    std::string SettingModeText() const;

private:
    UiLanguage language_;
};

// "{N}" with N a single digit replaced by argument N; anything else copied as it stands.
std::string FillPlaceholders(std::string_view format, std::initializer_list<std::string_view> args);

// Whether a locale name ("ko_KR.UTF-8", "ko", "en_US.UTF-8", "C") is a Korean one.
bool LocaleIsKorean(std::string_view name);
// The language for Q470_LANG, LC_ALL, LC_MESSAGES and LANG as given (each may be null).
UiLanguage LanguageFromEnvironment(const char* q470Lang, const char* lcAll, const char* lcMessages, const char* lang);

}  // namespace q470
