#include "plural_rule.h"

#include <cctype>
#include <string>
#include <utility>

namespace q470 {

// One operation of the expression; `op` 'n' is the number, '#' a constant, '?' the choice, and the other
// operators are their first character ("==" is '=', "<=" is 'l', ">=" is 'g', "&&" is '&', "||" is '|').
struct PluralRule::Node {
    char op = '#';
    unsigned long value = 0;
    std::shared_ptr<const Node> a, b, c;
};

namespace {

using Node = PluralRule::Node;
using NodePtr = std::shared_ptr<const Node>;

NodePtr Make(char op, NodePtr a, NodePtr b = nullptr, NodePtr c = nullptr) {
    auto node = std::make_shared<Node>();
    node->op = op;
    node->a = std::move(a);
    node->b = std::move(b);
    node->c = std::move(c);
    return node;
}

// A recursive-descent reader of the expression in C's precedence; nesting is bounded, so that a hostile
// catalogue cannot exhaust the stack.
class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    NodePtr Whole() {
        NodePtr expression = Choice();
        Skip();
        return at_ == text_.size() ? expression : nullptr;
    }

private:
    static constexpr int kDeepest = 64;

    void Skip() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
    }
    bool Take(std::string_view token) {
        Skip();
        if (text_.substr(at_, token.size()) != token) return false;
        at_ += token.size();
        return true;
    }

    NodePtr Choice() {
        if (++depth_ > kDeepest) return nullptr;
        NodePtr condition = Or();
        if (condition && Take("?")) {
            NodePtr yes = Choice();
            if (!yes || !Take(":")) return nullptr;
            NodePtr no = Choice();
            condition = no ? Make('?', condition, yes, no) : nullptr;
        }
        --depth_;
        return condition;
    }
    NodePtr Or() {
        NodePtr left = And();
        while (left && Take("||")) {
            NodePtr right = And();
            left = right ? Make('|', left, right) : nullptr;
        }
        return left;
    }
    NodePtr And() {
        NodePtr left = Binary();
        while (left && Take("&&")) {
            NodePtr right = Binary();
            left = right ? Make('&', left, right) : nullptr;
        }
        return left;
    }
    // The binary operators from the loosest-binding level to the tightest, each with its node code; at a
    // level a longer text comes before one it starts with ("<=" before "<").
    struct BinaryOperator {
        std::string_view text;
        char code;
    };
    static constexpr std::size_t kBinaryLevels = 4;
    static constexpr BinaryOperator kNoOperator{};
    static constexpr BinaryOperator kBinaryOperators[kBinaryLevels][4] = {
        {{"==", '='}, {"!=", '!'}, kNoOperator, kNoOperator},
        {{"<=", 'l'}, {">=", 'g'}, {"<", '<'}, {">", '>'}},
        {{"+", '+'}, {"-", '-'}, kNoOperator, kNoOperator},
        {{"*", '*'}, {"/", '/'}, {"%", '%'}, kNoOperator},
    };

    // Equality, relation, sum and product, each left to right over the level that binds tighter.
    NodePtr Binary(std::size_t level = 0) {
        if (level == kBinaryLevels) return Unary();
        NodePtr left = Binary(level + 1);
        while (left) {
            char code = 0;
            for (const BinaryOperator& candidate : kBinaryOperators[level]) {
                if (!candidate.text.empty() && Take(candidate.text)) {
                    code = candidate.code;
                    break;
                }
            }
            if (code == 0) break;
            NodePtr right = Binary(level + 1);
            left = right ? Make(code, left, right) : nullptr;
        }
        return left;
    }
    NodePtr Unary() {
        if (++depth_ > kDeepest) return nullptr;
        NodePtr node;
        Skip();
        if (at_ < text_.size() && text_[at_] == '!' && text_.substr(at_, 2) != "!=") {
            ++at_;
            NodePtr operand = Unary();
            node = operand ? Make('^', operand) : nullptr;
        } else if (Take("(")) {
            node = Choice();
            if (!Take(")")) node = nullptr;
        } else if (Take("n")) {
            node = Make('n', nullptr);
        } else if (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) {
            auto constant = std::make_shared<Node>();
            while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])) &&
                   constant->value < 1000000)
                constant->value = constant->value * 10 + static_cast<unsigned long>(text_[at_++] - '0');
            node = constant;
        }
        --depth_;
        return node;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    int depth_ = 0;
};

unsigned long Evaluate(const Node& node, unsigned long n) {
    const auto a = [&] { return Evaluate(*node.a, n); };
    const auto b = [&] { return Evaluate(*node.b, n); };
    switch (node.op) {
        case 'n':
            return n;
        case '#':
            return node.value;
        case '?':
            return a() != 0 ? b() : Evaluate(*node.c, n);
        case '|':
            return (a() != 0 || b() != 0) ? 1 : 0;
        case '&':
            return (a() != 0 && b() != 0) ? 1 : 0;
        case '=':
            return a() == b() ? 1 : 0;
        case '!':
            return a() != b() ? 1 : 0;
        case '<':
            return a() < b() ? 1 : 0;
        case '>':
            return a() > b() ? 1 : 0;
        case 'l':
            return a() <= b() ? 1 : 0;
        case 'g':
            return a() >= b() ? 1 : 0;
        case '+':
            return a() + b();
        case '-':
            return a() - b();
        case '*':
            return a() * b();
        case '/': {
            const unsigned long divisor = b();
            return divisor == 0 ? 0 : a() / divisor;
        }
        case '%': {
            const unsigned long divisor = b();
            return divisor == 0 ? 0 : a() % divisor;
        }
        case '^':
            return a() == 0 ? 1 : 0;
        default:
            return 0;
    }
}

// The value after "name=" in the header's Plural-Forms line, up to its ';'.
std::optional<std::string_view> Field(std::string_view forms, std::string_view name) {
    for (std::size_t at = forms.find(name); at != std::string_view::npos; at = forms.find(name, at + 1)) {
        std::size_t value = at + name.size();
        while (value < forms.size() && forms[value] == ' ') ++value;
        if (value >= forms.size() || forms[value] != '=') continue;
        const std::size_t end = forms.find(';', value);
        return forms.substr(value + 1, end == std::string_view::npos ? std::string_view::npos : end - value - 1);
    }
    return std::nullopt;
}

}  // namespace

std::optional<PluralRule> PluralRule::FromHeader(std::string_view header) {
    const std::size_t line = header.find("Plural-Forms:");
    if (line == std::string_view::npos) return std::nullopt;
    std::string_view forms = header.substr(line + 13);
    forms = forms.substr(0, forms.find('\n'));
    const auto count = Field(forms, "nplurals");
    const auto rule = Field(forms, "plural");
    if (!count || !rule) return std::nullopt;
    unsigned long forms_count = 0;
    for (const char c : *count) {
        if (c == ' ') continue;
        if (!std::isdigit(static_cast<unsigned char>(c)) || forms_count > 100) return std::nullopt;
        forms_count = forms_count * 10 + static_cast<unsigned long>(c - '0');
    }
    // Real rules are a line; a longer one would only make deep trees to walk.
    constexpr std::size_t kLongestRule = 500;
    if (rule->size() > kLongestRule) return std::nullopt;
    NodePtr expression = Parser(*rule).Whole();
    if (forms_count == 0 || !expression) return std::nullopt;
    return PluralRule(forms_count, std::move(expression));
}

unsigned long PluralRule::FormOf(unsigned long n) const {
    const unsigned long form = Evaluate(*expression_, n);
    return form < count_ ? form : 0;
}

}  // namespace q470
