#pragma once

#include <string>

#include "source_text.h"
#include "tool_text.h"
#include "ui_text.h"

namespace q470 {

// The translations of one language, wherever they come from: the window's from Qt's translator, the
// command-line tool's from its message catalogue. Sentences shared by both take one of these, so that the
// core needs neither.
class TextCatalog {
public:
    virtual ~TextCatalog() = default;

    // The UTF-8 translation of `source`, or the source itself where the catalogue has none.
    virtual std::string Translate(const SourceText& source) const = 0;
    // The form of a text that counts something for `count` in the catalogue's language; where it has
    // none, English's: the text for one, its plural otherwise.
    virtual std::string TranslateCount(const SourceText& source, unsigned long count) const {
        return count == 1 || source.plural == nullptr ? Translate(source) : source.plural;
    }

    std::string Text(UiText id) const { return Translate(UiTextSource(id)); }
    std::string Text(ToolText id) const { return Translate(ToolTextSource(id)); }
    std::string Count(ToolText id, unsigned long count) const { return TranslateCount(ToolTextSource(id), count); }
};

// The texts as written, untranslated (English).
class SourceTexts final : public TextCatalog {
public:
    std::string Translate(const SourceText& source) const override { return source.text; }
};

}  // namespace q470
