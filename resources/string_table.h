#pragma once

#include <QString>
#include <string>
#include <vector>

#include "ui_text.h"

namespace q470 {

// Korean when the system locale is Korean, English otherwise; Q470_LANG=ko|en overrides the locale.
UiLanguage CurrentUiLanguage();

// The text in the current UI language; empty for an id without text.
QString Text(UiText id);
QString Text(UiText id, UiLanguage language);

// A printf-style text of the table ("%s", "%u", "%d") filled in; %s takes UTF-8. The formats are the
// table's own constants, never user input.
template <typename... Args>
QString FormatText(UiText id, Args... args) {
    return QString::asprintf(Text(id).toUtf8().constData(), args...);
}

// A message followed by the lines that say more about it (UTF-8 sentences of the core's findings), after
// a blank line; the message alone when there are none.
QString WithDetails(const QString& message, const std::vector<std::string>& lines);

// A string-table text by its numeric id (101..132), empty when the table has none.
QString LoadUiString(int id);

}  // namespace q470
