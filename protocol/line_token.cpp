#include "line_token.h"

#include <algorithm>

#include "response_parser.h"

namespace q470 {
namespace {

constexpr std::uint8_t kCr = '\r';
constexpr std::uint8_t kLf = '\n';

}  // namespace

LineToken NextLineToken(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return {LineTokenKind::NeedMore, 0};
    if (data[0] == kLf) return {LineTokenKind::LoneEnd, 1};
    if (data[0] != kCr) {
        const auto end = std::find_if(data, data + size, IsLineEnd);
        const auto length = static_cast<std::size_t>(end - data);
        return {end == data + size ? LineTokenKind::NeedMore : LineTokenKind::Text, length};
    }
    if (size < 2) return {LineTokenKind::NeedMore, 0};
    if (data[1] == kLf) return {LineTokenKind::Opening, 2};
    if (data[1] == kCr) return {LineTokenKind::LoneEnd, 1};
    if (size < 3) return {LineTokenKind::NeedMore, 0};
    return data[2] == kLf ? LineToken{LineTokenKind::Opening, 3} : LineToken{LineTokenKind::LoneEnd, 1};
}

}  // namespace q470
