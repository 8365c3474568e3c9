#pragma once

#include <rapidjson/encodedstream.h>
#include <rapidjson/error/error.h>
#include <rapidjson/filereadstream.h>
#include <rapidjson/reader.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>

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

// Parses an opened file into `document`, detecting UTF-8, UTF-16 or UTF-32 of either byte order by its
// byte-order mark or, without one, by the pattern of zero bytes. Returns 0, the parser's error code, or
// the negated system error number when reading failed. `document` changes only on success. `stoppedAt`,
// when given, receives the line and column where the parse ended (where it found its error).
template <unsigned ParseFlags = kConfigParseFlags>
int ParseConfigFile(std::FILE* file, ConfigDocument& document, TextPosition* stoppedAt = nullptr) {
    using ByteStream = EndTrackingStream<rapidjson::FileReadStream>;
    using UnitStream = rapidjson::AutoUTFInputStream<unsigned, ByteStream>;
    using InputStream = PositionTrackingStream<UnitStream>;
    errno = 0;  // the stream reads its first block right away
    char buffer[kReadBufferBytes];
    rapidjson::FileReadStream fileStream(file, buffer, sizeof buffer);
    ByteStream bytes(fileStream);
    UnitStream units(bytes);
    InputStream input(units);
    config_parse_detail::ParseGenerator<ParseFlags, InputStream> parse{input, {}};
    ConfigDocument parsed;
    parsed.Populate(parse);
    if (stoppedAt != nullptr) *stoppedAt = input.Position();
    // The read stream takes a read error for the end of the file: the text seen may be cut short.
    if (std::ferror(file)) return errno != 0 ? -errno : -EIO;
    if (parse.result.IsError()) return parse.result.Code();
    if (!bytes.ReachedEnd(config_parse_detail::kCodeUnitBytes[units.GetType()])) {
        return rapidjson::kParseErrorDocumentRootNotSingular;
    }
    document.Swap(parsed);
    return 0;
}

}  // namespace q470
