#pragma once

#include <memory>
#include <optional>
#include <string_view>

namespace q470 {

// Which of a language's plural forms a number takes, as a catalogue's header writes it:
// "nplurals=3; plural=(n==1 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);". The rule is
// a C expression in n with numbers, ! % * / + - < > <= >= == != && || ?: and parentheses.
class PluralRule {
public:
    // The rule of a catalogue header; nothing when it has none or it cannot be read.
    static std::optional<PluralRule> FromHeader(std::string_view header);

    // The form for `n`, always below Count().
    unsigned long FormOf(unsigned long n) const;
    unsigned long Count() const { return count_; }

    struct Node;

private:
    PluralRule(unsigned long count, std::shared_ptr<const Node> expression)
        : count_(count), expression_(std::move(expression)) {}

    unsigned long count_;
    std::shared_ptr<const Node> expression_;
};

}  // namespace q470
