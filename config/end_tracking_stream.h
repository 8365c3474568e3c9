#pragma once

#include <cstddef>

namespace q470 {

// A byte stream that tells the end of the input from a zero byte in it. The parser takes a zero character
// for the end of its input: without this check a file whose root value is followed by a zero byte (and
// anything after it) would pass as a single JSON value.
template <typename ByteStream>
class EndTrackingStream {
public:
    using Ch = typename ByteStream::Ch;

    explicit EndTrackingStream(ByteStream& stream) : stream_(stream) {}

    Ch Peek() const { return stream_.Peek(); }
    std::size_t Tell() const { return stream_.Tell(); }
    const Ch* Peek4() const { return stream_.Peek4(); }

    // A take at the end of the input returns zero and leaves the position where it is.
    Ch Take() {
        const std::size_t before = stream_.Tell();
        const Ch c = stream_.Take();
        takesAtEnd_ = stream_.Tell() == before ? takesAtEnd_ + 1 : 0;
        return c;
    }

    // Whether the last `unitBytes` bytes taken were all past the end, that is whether the last character
    // decoded (of that width) was the end of the input rather than zero bytes of the file.
    bool ReachedEnd(std::size_t unitBytes) const { return takesAtEnd_ >= unitBytes; }

private:
    ByteStream& stream_;
    std::size_t takesAtEnd_ = 0;
};

}  // namespace q470
