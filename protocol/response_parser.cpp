#include "response_parser.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "c_decimal.h"

namespace q470 {
namespace {

constexpr std::uint8_t kCr = '\r';
constexpr std::uint8_t kLf = '\n';

struct WholeLine {
    std::string_view text;
    ResponseKind kind;
};

constexpr std::array<WholeLine, 6> kWholeLines{{
    {"\r\nOK\r\n", RespOk},
    {"\r\nERROR\r\n", RespError},
    {"\r\n+ACTIVE\r\n", RespActive},
    {"\r\n+INACTIVE\r\n", RespInactive},
    {"\r\n+READY\r\n", RespReady},
    {"\r\n+READY DEBUG MODE\r\n", RespReadyDebug},
}};

// The text between the prefix and the first CR LF after it.
std::string_view LineBody(std::string_view frame, std::size_t prefixLength) {
    const std::size_t end = frame.find("\r\n", prefixLength);
    return frame.substr(prefixLength, end - prefixLength);
}

// Splits a multi-field body: every field but the last ends at the next comma, the last runs to the
// end of the line. False when a comma is missing.
template <std::size_t N>
bool SplitFields(std::string_view body, std::array<std::string_view, N>& fields) {
    for (std::size_t i = 0; i + 1 < N; ++i) {
        const std::size_t comma = body.find(',');
        if (comma == std::string_view::npos) return false;
        fields[i] = body.substr(0, comma);
        body.remove_prefix(comma + 1);
    }
    fields[N - 1] = body;
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsHexAddress(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return HexValue(c) >= 0; });
}

// Pair k of the 16 characters becomes the byte of weight 7 - k. A character that is no hex digit
// ends its pair's conversion, keeping what was converted so far (the "+INFO," line relies on this).
std::uint64_t ConvertAddress(std::string_view text) {
    std::uint64_t address = 0;
    for (std::size_t pair = 0; pair < 8; ++pair) {
        unsigned byte = 0;
        for (std::size_t j = 0; j < 2; ++j) {
            const int nibble = HexValue(text[2 * pair + j]);
            if (nibble < 0) break;
            byte = byte * 16 + static_cast<unsigned>(nibble);
        }
        address = (address << 8) | byte;
    }
    return address;
}

int IndexOf(std::string_view value, std::initializer_list<std::string_view> keywords) {
    int index = 0;
    for (const auto keyword : keywords) {
        if (value == keyword) return index;
        ++index;
    }
    return -1;
}

std::uint8_t LowByte(std::int32_t value) {
    return static_cast<std::uint8_t>(value);
}

std::uint16_t Low16(std::int32_t value) {
    return static_cast<std::uint16_t>(value);
}

ResponseRecordPtr Bad() {
    return MakeRecord(ResultBadResponse);
}

ResponseRecordPtr ByteRecord(ResponseKind kind, std::uint8_t value) {
    auto record = MakeRecord(kind, 1);
    record->payload[0] = value;
    return record;
}

ResponseRecordPtr Word16Record(ResponseKind kind, std::uint16_t value) {
    auto record = MakeRecord(kind, 2);
    WriteU16(*record, 0, value);
    return record;
}

ResponseRecordPtr TextRecord(ResponseKind kind, std::string_view text) {
    auto record = MakeRecord(kind, kTextPayloadSize);
    const std::size_t length = std::min(text.size(), kMaxTextLength);
    std::memcpy(record->payload.data(), text.data(), length);
    return record;
}

ResponseRecordPtr AddressRecord(std::string_view body, ResponseKind kind, ResponseKind badAddress) {
    if (body.size() != 16) return Bad();
    if (!IsHexAddress(body)) return MakeRecord(badAddress);
    auto record = MakeRecord(kind, 8);
    WriteU64(*record, 0, ConvertAddress(body));
    return record;
}

ResponseRecordPtr ParseActive(std::string_view body) {
    return AddressRecord(body, RespActive, ResultBadActiveAddress);
}

// No command waits for an addressed "+INACTIVE," line; it is kept as RespInactive with its address.
ResponseRecordPtr ParseInactive(std::string_view body) {
    return AddressRecord(body, RespInactive, ResultBadInactiveAddress);
}

ResponseRecordPtr ParseInfo(std::string_view body) {
    std::array<std::string_view, 5> fields;
    if (!SplitFields(body, fields) || fields[0].size() != 16) return Bad();
    const int mode = IndexOf(fields[1], {"P2P", "P2PCMD", "MULTI", "MULTICMD"});
    const int role = IndexOf(fields[2], {"COORD", "DEV"});
    const int link = IndexOf(fields[3], {"ACT", "INACT"});
    const int flag = IndexOf(fields[4], {"0", "1"});
    if (mode < 0 || role < 0 || link < 0 || flag < 0) return Bad();
    auto record = MakeRecord(RespInfo, kInfoPayloadSize);
    WriteInfoPayload(
        *record, {ConvertAddress(fields[0]), static_cast<std::uint8_t>(mode + 1), static_cast<std::uint8_t>(role + 1),
                  static_cast<std::uint8_t>(link), static_cast<std::uint8_t>(flag)});
    return record;
}

ResponseRecordPtr ParseNetInfo(std::string_view body) {
    std::array<std::string_view, 4> fields;
    if (!SplitFields(body, fields)) return Bad();
    const std::int32_t phyId = ParseCDecimal(fields[0]);
    const std::int32_t channel = ParseCDecimal(fields[1]);
    const std::int32_t panId = ParseCDecimal(fields[2]);
    const int channelMode = IndexOf(fields[3], {"BC", "FH"});
    if (phyId < 1 || phyId > 13 || channel < 0 || channel > 128 || panId < 1 || panId > 65534 || channelMode < 0) {
        return Bad();
    }
    NetInfoPayload net;
    net.phyId = LowByte(phyId);
    net.rfChannel = LowByte(channel);
    net.panId = Low16(panId);
    net.channelMode = static_cast<std::uint8_t>(channelMode);
    auto record = MakeRecord(RespNetInfo, kNetInfoPayloadSize);
    WriteNetInfoPayload(*record, net);
    return record;
}

ResponseRecordPtr ParseRfChannel(std::string_view body) {
    const std::uint8_t channel = LowByte(ParseCDecimal(body));
    if (static_cast<std::uint8_t>(channel - 1) > 127) return Bad();  // low byte 1 to 128
    return ByteRecord(RespRfChannel, channel);
}

ResponseRecordPtr ParsePanId(std::string_view body) {
    return Word16Record(RespPanId, Low16(ParseCDecimal(body)));
}

ResponseRecordPtr ParseGpioConfig(std::string_view body) {
    std::array<std::string_view, 3> fields;
    if (!SplitFields(body, fields)) return Bad();
    const GpioEntry entry{LowByte(ParseCDecimal(fields[0])), LowByte(ParseCDecimal(fields[1])),
                          LowByte(ParseCDecimal(fields[2]))};
    if (entry.pin >= kGpioPinCount || entry.ioMode > 2 || entry.pinConfig >= 3) return Bad();
    auto record = MakeRecord(RespGpioConfig, kGpioEntrySize);
    WriteGpioEntry(*record, 0, entry);
    return record;
}

ResponseRecordPtr ParseGpioPeriodic(std::string_view body) {
    std::array<std::string_view, 2> fields;
    if (!SplitFields(body, fields)) return Bad();
    const int sendRemote = IndexOf(fields[1], {"0", "1"});
    if (sendRemote < 0) return Bad();
    auto record = MakeRecord(RespGpioPeriodic, kGpioPeriodicPayloadSize);
    WriteGpioPeriodicPayload(*record, {ParseCDecimal(fields[0]), static_cast<std::uint8_t>(sendRemote)});
    return record;
}

ResponseRecordPtr ParseRtStatus(std::string_view body) {
    const std::uint8_t status = LowByte(ParseCDecimal(body));
    if (status != 1 && status != 2) return Bad();
    return ByteRecord(RespRtStatus, status);
}

ResponseRecordPtr ParseRtRssi(std::string_view body) {
    return ByteRecord(RespRtRssi, LowByte(ParseCDecimal(body)));
}

ResponseRecordPtr ParseVersion(std::string_view body) {
    return TextRecord(RespVersion, body);
}

ResponseRecordPtr ParsePhyId(std::string_view body) {
    return Word16Record(RespPhyId, Low16(ParseCDecimal(body)));
}

ResponseRecordPtr ParseQuietMode(std::string_view body) {
    return ByteRecord(RespQuietMode, LowByte(ParseCDecimal(body)) != 0 ? 1 : 0);
}

ResponseRecordPtr ParseModelName(std::string_view body) {
    if (body.empty()) return Bad();
    return TextRecord(RespModelName, body);
}

ResponseRecordPtr ParseUserPanId(std::string_view body) {
    return Word16Record(RespUserPanId, Low16(ParseCDecimal(body)));
}

ResponseRecordPtr ParseRxPullUp(std::string_view body) {
    const std::int32_t value = ParseCDecimal(body);
    if (value != 0 && value != 1) return Bad();
    return ByteRecord(RespRxPullUp, static_cast<std::uint8_t>(value));
}

struct Prefixed {
    std::string_view prefix;
    ResponseRecordPtr (*parse)(std::string_view body);
};

constexpr std::array<Prefixed, 16> kPrefixed{{
    {"\r\n+ACTIVE,", ParseActive},
    {"\r\n+INACTIVE,", ParseInactive},
    {"\r\n+INFO,", ParseInfo},
    {"\r\n+NETINFO,", ParseNetInfo},
    {"\r\n+RFCH,", ParseRfChannel},
    {"\r\n+PANID,", ParsePanId},
    {"\r\n+GPIOC,", ParseGpioConfig},
    {"\r\n+GPIOP,", ParseGpioPeriodic},
    {"\r\n+RTSTATUS,", ParseRtStatus},
    {"\r\n+RTRSSI,", ParseRtRssi},
    {"\r\n+VER,", ParseVersion},
    {"\r\n+PHYID,", ParsePhyId},
    {"\r\n+QM,", ParseQuietMode},
    {"\r\n+MODELNAME,", ParseModelName},
    {"\r\n+UPANID,", ParseUserPanId},
    {"\r\n+URPU,", ParseRxPullUp},
}};

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

ResponseRecordPtr ParseResponse(const std::uint8_t* frame, std::size_t length) {
    if (length > kMaxFrameLength) return MakeRecord(ResultTooLong);
    if (length <= 4) return Bad();
    const std::string_view text(reinterpret_cast<const char*>(frame), length);
    if (!StartsWith(text, "\r\n") || text.compare(length - 2, 2, "\r\n") != 0) return Bad();
    // A NUL ends a text for every reader that takes it as one: a line with one inside is cut, and a
    // cut line is noise, never a shorter value.
    if (text.find('\0') != std::string_view::npos) return Bad();
    for (const auto& line : kWholeLines) {
        if (StartsWith(text, line.text)) return MakeRecord(line.kind);
    }
    for (const auto& entry : kPrefixed) {
        if (StartsWith(text, entry.prefix)) return entry.parse(LineBody(text, entry.prefix.size()));
    }
    return Bad();
}

ResponseRecordPtr ParseLine(std::string_view text) {
    if (text.size() > kMaxLineLength) return MakeRecord(ResultTooLong);
    std::array<std::uint8_t, kMaxFrameLength> frame{};
    frame[0] = kCr;
    frame[1] = kLf;
    std::memcpy(frame.data() + 2, text.data(), text.size());
    frame[text.size() + 2] = kCr;
    frame[text.size() + 3] = kLf;
    return ParseResponse(frame.data(), text.size() + 4);
}

bool IsLineEnd(std::uint8_t byte) {
    return byte == kCr || byte == kLf;
}

}  // namespace q470
