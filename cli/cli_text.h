#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "text_catalog.h"
#include "tool_text.h"
#include "ui_text.h"

namespace q470 {

// The texts as the tool prints them, in the language the environment chooses: the window's texts with
// the dialog line ends ("\r\n") turned into plain new lines and no line end at the end, and the tool's own.
class CliText {
public:
    // English as written, or Korean from the tool's Korean catalogue (English where it cannot be read).
    explicit CliText(UiLanguage language);
    explicit CliText(std::shared_ptr<const TextCatalog> catalog);
    // The catalogue MessageLanguage names for the process's environment.
    static CliText FromEnvironment();

    // The translations themselves, for the sentences the tool shares with the window.
    const TextCatalog& Catalog() const { return *catalog_; }
    std::string Text(UiText id) const;
    // A text with one "%d" or "%u" in it, filled with `value`.
    std::string Format(UiText id, long long value) const;

    std::string Text(ToolText id) const;
    // A text with {0}, {1}... in it, each filled with the argument of that number.
    std::string Text(ToolText id, std::initializer_list<std::string_view> args) const;
    // The same for a text that counts something: its form for `count` in the language.
    std::string Count(ToolText id, unsigned long count, std::initializer_list<std::string_view> args) const;

    // The last part of the status information of a device in setting mode ("setting mode", "설정 모드").
    std::string SettingModeText() const;

private:
    std::shared_ptr<const TextCatalog> catalog_;
};

// "{N}" with N a single digit replaced by argument N; anything else copied as it stands.
std::string FillPlaceholders(std::string_view format, std::initializer_list<std::string_view> args);

// The language whose catalogue the tool speaks ("ko"), or "" for the English it is written in. Q470_LANG
// decides when it is "en" or names a catalogue; otherwise the locale of messages does, as gettext reads
// it: the first of LC_ALL, LC_MESSAGES and LANG that is set and not empty, with LANGUAGE's list of
// languages before it unless that locale is C or POSIX; each name tried as "ll_CC", then "ll". On Windows,
// where none of them is usually set, the user's interface language takes the locale's place.
std::string MessageLanguage(const char* q470Lang, const char* language, const char* lcAll, const char* lcMessages,
                            const char* lang, const std::function<bool(const std::string&)>& hasCatalog);

// The tool's catalogue for a language ("ko"): from share/locale beside the program's folder where there is
// one (an installation), else from the build's; null when there is none. Read once per language.
std::shared_ptr<const TextCatalog> ToolCatalog(const std::string& language);

}  // namespace q470
