#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "plural_rule.h"

#include "text_catalog.h"

namespace q470 {

// The tool's translations for one language, read from a compiled message catalogue (a .mo file as msgfmt
// writes it). Read here rather than through the C library's gettext, so that a Korean LANG gives Korean
// messages on a system without the Korean locale installed, and so that the Windows build, which has no
// gettext library, speaks the same languages from the same files.
class MessageCatalog final : public TextCatalog {
public:
    // The catalogue in `bytes`; nothing when they are not a well-formed catalogue.
    static std::optional<MessageCatalog> Parse(std::string_view bytes);
    // The catalogue in a file; nothing when it is missing, unreadable or not well-formed.
    static std::optional<MessageCatalog> Load(const std::filesystem::path& file);

    std::string Translate(const SourceText& source) const override;
    std::string TranslateCount(const SourceText& source, unsigned long count) const override;

private:
    // The translation's forms (one, or one per plural form) of "key\x04source", the context and the text
    // as gettext joins them.
    const std::vector<std::string>* Find(const SourceText& source) const;

    std::unordered_map<std::string, std::vector<std::string>> translations_;
    std::optional<PluralRule> plural_;
};

}  // namespace q470
