#pragma once

namespace q470 {

// A RapidJSON output stream that ends lines with CR LF. The pretty writer ends them with LF, and the file
// must come out the same on every platform rather than depend on a stream's text mode.
template <typename OutputStream>
class CrlfOutputStream {
public:
    using Ch = typename OutputStream::Ch;

    explicit CrlfOutputStream(OutputStream& stream) : stream_(stream) {}

    void Put(Ch c) {
        if (c == '\n') stream_.Put('\r');
        stream_.Put(c);
    }

    void Flush() { stream_.Flush(); }

private:
    OutputStream& stream_;
};

}  // namespace q470
