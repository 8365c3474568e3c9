#pragma once

#include <rapidjson/encodings.h>

namespace q470 {

// UTF-16 as the reading document holds it, except that a lone surrogate in the file (an escape such as
// "\uDC00" without its partner, or a surrogate code point in UTF-32) is kept as that code unit, which a
// UTF-16 string can hold. RapidJSON's own encoder asserts on it: in a build with assertions a hostile
// file would abort the program.
struct LenientUtf16 : rapidjson::UTF16<char16_t> {
    static constexpr unsigned kFirstSurrogate = 0xD800;
    static constexpr unsigned kLastSurrogate = 0xDFFF;

    template <typename OutputStream>
    static void Encode(OutputStream& os, unsigned codepoint) {
        if (codepoint >= kFirstSurrogate && codepoint <= kLastSurrogate) {
            os.Put(static_cast<Ch>(codepoint));
        } else {
            rapidjson::UTF16<char16_t>::Encode(os, codepoint);
        }
    }
};

}  // namespace q470
