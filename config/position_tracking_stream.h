#pragma once

#include <rapidjson/encodings.h>
#include <rapidjson/rapidjson.h>

#include <cstddef>

namespace q470 {

// Where a parse stopped, 1-based: the line, and the character on that line.
struct TextPosition {
    std::size_t line = 1;
    std::size_t column = 1;
};

// Counts lines and characters while the parser takes code units from the Unicode-detecting stream, so
// that a parse error can name where it stands. A character is one code point: the continuation bytes
// of UTF-8 and the second half of a UTF-16 surrogate pair do not move the column.
template <typename InputStream>
class PositionTrackingStream {
public:
    using Ch = typename InputStream::Ch;

    explicit PositionTrackingStream(InputStream& stream) : stream_(stream) {}

    // AutoUTF decodes by the encoding the stream detected.
    rapidjson::UTFType GetType() const { return stream_.GetType(); }
    Ch Peek() const { return stream_.Peek(); }
    std::size_t Tell() const { return stream_.Tell(); }
    Ch Take() {
        const Ch c = stream_.Take();
        if (c == '\n') {
            ++position_.line;
            position_.column = 1;
        } else if (c != 0 && StartsCharacter(c)) {
            ++position_.column;
        }
        return c;
    }

    // The parser reads in place only with a flag the configuration file is never parsed with.
    void Put(Ch) { RAPIDJSON_ASSERT(false); }
    void Flush() { RAPIDJSON_ASSERT(false); }
    Ch* PutBegin() {
        RAPIDJSON_ASSERT(false);
        return nullptr;
    }
    std::size_t PutEnd(Ch*) {
        RAPIDJSON_ASSERT(false);
        return 0;
    }

    // The position of the next character the parser has not taken: where an error was found.
    const TextPosition& Position() const { return position_; }

private:
    bool StartsCharacter(Ch c) const {
        switch (stream_.GetType()) {
            case rapidjson::kUTF8:
                return (c & 0xC0u) != 0x80u;
            case rapidjson::kUTF16LE:
            case rapidjson::kUTF16BE:
                return c < 0xDC00u || c > 0xDFFFu;
            default:
                return true;
        }
    }

    InputStream& stream_;
    TextPosition position_;
};

}  // namespace q470
