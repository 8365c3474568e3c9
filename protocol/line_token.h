#pragma once

#include <cstddef>
#include <cstdint>

namespace q470 {

// The pieces a stream of device bytes is made of, for the framer to tell a whole line from noise. The
// device frames every line as CR LF, text, CR LF; line noise may put a byte anywhere.
enum class LineTokenKind {
    Opening,   // CR LF, or CR, one stray byte, LF: a line end that opens (or closes) a line
    LoneEnd,   // a CR or an LF that is not part of an opening: a break, never a line's own end
    Text,      // bytes up to the next CR or LF
    NeedMore,  // what is held cannot be told yet: a CR (or CR and one byte) at the end, or text
               // without its line end
};

struct LineToken {
    LineTokenKind kind = LineTokenKind::NeedMore;
    std::size_t length = 0;  // bytes of the token; for NeedMore, of the text held so far (0 after a CR)
};

// The token at the start of `data`, which must be at a token boundary (the start of the stream, or
// the end of the token before). A byte between a CR and an LF belongs to the line end, so that a
// stray byte inside a CR LF costs nothing.
LineToken NextLineToken(const std::uint8_t* data, std::size_t size);

}  // namespace q470
