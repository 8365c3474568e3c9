#pragma once

#include <rapidjson/encodedstream.h>
#include <rapidjson/error/error.h>
#include <rapidjson/filereadstream.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <string>

#include "config_document.h"
#include "end_tracking_stream.h"
#include "lenient_utf16.h"
#include "position_tracking_stream.h"

namespace q470 {

inline constexpr std::size_t kReadBufferBytes = 512;

namespace config_parse_detail {

// Bytes per code unit, by rapidjson::UTFType: UTF-8, UTF-16 LE and BE, UTF-32 LE and BE.
inline constexpr std::size_t kCodeUnitBytes[] = {1, 2, 2, 4, 4};

// Feeds the parser's events into a document, with strings encoded by LenientUtf16.
template <unsigned ParseFlags, typename InputStream>
struct ParseGenerator {
    InputStream& input;
    rapidjson::ParseResult result;

    bool operator()(ConfigDocument& handler) {
        rapidjson::GenericReader<rapidjson::AutoUTF<unsigned>, LenientUtf16> reader;
        result = reader.template Parse<ParseFlags>(input, handler);
        return !result.IsError();
    }
};

}  // namespace config_parse_detail

namespace config_parse_detail {

// Parses a byte stream into `document`; `bytes` tells where the input ended. Returns 0 or the parser's
// error code; `document` changes only on success.
template <unsigned ParseFlags, typename RawStream>
int ParseByteStream(RawStream& raw, ConfigDocument& document, TextPosition* stoppedAt) {
    using ByteStream = EndTrackingStream<RawStream>;
    using UnitStream = rapidjson::AutoUTFInputStream<unsigned, ByteStream>;
    using InputStream = PositionTrackingStream<UnitStream>;
    ByteStream bytes(raw);
    UnitStream units(bytes);
    InputStream input(units);
    ParseGenerator<ParseFlags, InputStream> parse{input, {}};
    ConfigDocument parsed;
    parsed.Populate(parse);
    if (stoppedAt != nullptr) *stoppedAt = input.Position();
    if (parse.result.IsError()) return parse.result.Code();
    if (!bytes.ReachedEnd(kCodeUnitBytes[units.GetType()])) return rapidjson::kParseErrorDocumentRootNotSingular;
    document.Swap(parsed);
    return 0;
}

}  // namespace config_parse_detail

// Parses an opened file into `document`, detecting UTF-8, UTF-16 or UTF-32 of either byte order by its
// byte-order mark or, without one, by the pattern of zero bytes. Returns 0, the parser's error code, or
// the negated system error number when reading failed. `document` changes only on success. `stoppedAt`,
// when given, receives the line and column where the parse ended (where it found its error).
template <unsigned ParseFlags = kConfigParseFlags>
int ParseConfigFile(std::FILE* file, ConfigDocument& document, TextPosition* stoppedAt = nullptr) {
    errno = 0;  // the stream reads its first block right away
    char buffer[kReadBufferBytes];
    rapidjson::FileReadStream fileStream(file, buffer, sizeof buffer);
    ConfigDocument parsed;
    const int result = config_parse_detail::ParseByteStream<ParseFlags>(fileStream, parsed, stoppedAt);
    // The read stream takes a read error for the end of the file: the text seen may be cut short.
    if (std::ferror(file)) return errno != 0 ? -errno : -EIO;
    if (result == 0) document.Swap(parsed);
    return result;
}

// The same for the bytes of a file read already (a pipe can be read only once).
template <unsigned ParseFlags = kConfigParseFlags>
int ParseConfigBytes(const std::string& content, ConfigDocument& document, TextPosition* stoppedAt = nullptr) {
    rapidjson::MemoryStream stream(content.data(), content.size());
    return config_parse_detail::ParseByteStream<ParseFlags>(stream, document, stoppedAt);
}

}  // namespace q470
