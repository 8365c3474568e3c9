#include "message_catalog.h"

#include <cstdint>
#include <fstream>
#include <iterator>

#include "format_conversions.h"

namespace q470 {
namespace {

constexpr std::uint32_t kMagic = 0x950412de;

class Reader {
public:
    Reader(std::string_view bytes, bool swapped) : bytes_(bytes), swapped_(swapped) {}

    std::optional<std::uint32_t> Word(std::size_t at) const {
        if (at > bytes_.size() || bytes_.size() - at < 4) return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const auto byte = static_cast<std::uint8_t>(bytes_[at + static_cast<std::size_t>(swapped_ ? 3 - i : i)]);
            value |= static_cast<std::uint32_t>(byte) << (8 * i);
        }
        return value;
    }

    // The string that entry `index` of the table at `table` describes (its length, then its offset).
    std::optional<std::string_view> String(std::uint32_t table, std::uint32_t index) const {
        const std::size_t at = std::size_t{table} + std::size_t{index} * 8;
        const auto length = Word(at);
        const auto offset = Word(at + 4);
        if (!length || !offset || *offset > bytes_.size() || bytes_.size() - *offset < *length) return std::nullopt;
        return bytes_.substr(*offset, *length);
    }

private:
    std::string_view bytes_;
    bool swapped_;
};

}  // namespace

std::optional<MessageCatalog> MessageCatalog::Parse(std::string_view bytes) {
    const Reader little(bytes, false);
    const auto magic = little.Word(0);
    if (!magic) return std::nullopt;
    const Reader big(bytes, true);
    const Reader& read = *magic == kMagic ? little : big;
    if (read.Word(0) != kMagic) return std::nullopt;
    const auto count = read.Word(8);
    const auto originals = read.Word(12);
    const auto translations = read.Word(16);
    if (!count || !originals || !translations) return std::nullopt;
    MessageCatalog catalog;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const auto original = read.String(*originals, i);
        const auto translation = read.String(*translations, i);
        if (!original || !translation) return std::nullopt;
        if (original->empty()) {  // the header
            catalog.plural_ = PluralRule::FromHeader(*translation);
            continue;
        }
        // A text with plural forms keeps them apart with NUL, the original its singular and plural.
        std::vector<std::string> forms;
        for (std::string_view rest = *translation;;) {
            const std::size_t end = rest.find('\0');
            forms.emplace_back(rest.substr(0, end));
            if (end == std::string_view::npos) break;
            rest.remove_prefix(end + 1);
        }
        catalog.translations_.emplace(std::string(original->substr(0, original->find('\0'))), std::move(forms));
    }
    return catalog;
}

std::optional<MessageCatalog> MessageCatalog::Load(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return Parse(bytes);
}

const std::vector<std::string>* MessageCatalog::Find(const SourceText& source) const {
    std::string key = source.key;
    key += '\x04';
    key += source.text;
    const auto found = translations_.find(key);
    return found == translations_.end() ? nullptr : &found->second;
}

std::string MessageCatalog::Translate(const SourceText& source) const {
    const std::vector<std::string>* forms = Find(source);
    if (forms == nullptr || forms->front().empty() || !SameConversions(source.text, forms->front())) return source.text;
    return forms->front();
}

std::string MessageCatalog::TranslateCount(const SourceText& source, unsigned long count) const {
    const std::vector<std::string>* forms = Find(source);
    // Without the language's rule the forms cannot be told apart: English's is as good a guess as any.
    const unsigned long form = plural_ ? plural_->FormOf(count) : (count == 1 ? 0 : 1);
    if (forms == nullptr || form >= forms->size() || (*forms)[form].empty() ||
        !SameConversions(source.text, (*forms)[form]))
        return TextCatalog::TranslateCount(source, count);
    return (*forms)[form];
}

}  // namespace q470
