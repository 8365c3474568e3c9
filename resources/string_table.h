#pragma once

#include <QString>
#include <string>
#include <vector>

#include "text_catalog.h"
#include "ui_text.h"

namespace q470 {

// The language the window speaks, as the name of its translation ("ko"), or "" for the English it is
// written in: Q470_LANG when a translation of that name exists (or "en"), otherwise the system locale's
// language when one does.
QString InterfaceLanguage();
// Korean when the interface language is, English otherwise: for what only knows these two (Qt's own texts).
UiLanguage CurrentUiLanguage();

// The text in the interface language; empty for an id without text.
QString Text(UiText id);
// The text in Korean or in English, whatever the interface language.
QString Text(UiText id, UiLanguage language);

// The texts of the interface language, for the sentences the window shares with the command-line tool.
class WindowTexts final : public TextCatalog {
public:
    std::string Translate(const SourceText& source) const override;
};

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
