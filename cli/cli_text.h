#pragma once

#include <string>

#include "ui_text.h"

namespace q470 {

// The window's message texts as the tool prints them: in English unless Q470_LANG=ko, with the
// dialog line ends ("\r\n") turned into plain new lines and no line end at the end.
class CliText {
public:
    explicit CliText(UiLanguage language) : language_(language) {}
    // Q470_LANG=ko gives Korean; anything else English.
    static CliText FromEnvironment();

    UiLanguage Language() const { return language_; }
    std::string Text(UiText id) const;
    // A text with one "%d" or "%u" in it, filled with `value`.
    std::string Format(UiText id, long long value) const;

    // The last part of the status information of a device in setting mode ("setting mode", "설정 모드").
    std::string SettingModeText() const;

private:
    UiLanguage language_;
};

}  // namespace q470
