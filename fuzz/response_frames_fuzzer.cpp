// Feeds arbitrary device output to the line framer the device link uses, the way the link receives it:
// the bytes arrive in pieces, each piece is appended, and lines are taken until only an unfinished one
// is left. However the bytes are cut, the same records must come out.
//
// The same bytes also pick a device's answer lines, each framed CR LF, text, CR LF, into which one
// stray CR, LF or NUL is slipped or put in place of a byte: the framer must never take a value from
// the result that the device did not send, and a stray CR or LF beside a line's CR LFs (or a byte
// inside one) must cost nothing.
//
// Input: one header byte whose low four bits give the number n of piece-size bytes after it, then those
// n bytes, then the bytes the device sends. The pieces are (size byte % 64) + 1 long, cycled; with n = 0
// the stream arrives in one piece. The header's high four bits choose the stray byte and whether it is
// slipped in or replaces one.

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "c_decimal.h"
#include "fuzz_check.h"
#include "line_framer.h"
#include "receive_buffer.h"
#include "response_parser.h"

namespace q470 {
namespace {

constexpr std::size_t kMaxPieceBytes = 64;

struct Input {
    std::uint8_t header = 0;
    std::vector<std::size_t> pieces;
    const std::uint8_t* stream = nullptr;
    std::size_t size = 0;
};

Input Split(const std::uint8_t* data, std::size_t size) {
    Input input;
    if (size == 0) return input;
    input.header = data[0];
    const std::size_t count = std::min<std::size_t>(data[0] & 0x0F, size - 1);
    for (std::size_t i = 0; i < count; ++i) input.pieces.push_back(data[1 + i] % kMaxPieceBytes + 1);
    input.stream = data + 1 + count;
    input.size = size - 1 - count;
    return input;
}

// What a caller can see of a record.
using Snapshot = std::tuple<std::int32_t, std::uint16_t, std::array<std::uint8_t, kMaxPayload>>;

struct Outcome {
    std::vector<Snapshot> records;       // every record except ResultBadResponse, in order
    std::vector<std::uint8_t> residual;  // the piece delivered and not yet taken by the round
};

bool AllZero(const ResponseRecord& record, std::size_t from) {
    return std::all_of(record.payload.begin() + static_cast<std::ptrdiff_t>(from), record.payload.end(),
                       [](std::uint8_t b) { return b == 0; });
}

bool IsTextKind(std::int32_t kind) {
    return kind == RespVersion || kind == RespModelName;
}

// The payload length each kind comes with; -1 for a kind the parser never produces.
int ExpectedLength(const ResponseRecord& record) {
    switch (record.kind) {
        case RespOk:
        case RespError:
        case RespReady:
        case RespReadyDebug:
        case ResultBadResponse:
        case ResultBadActiveAddress:
        case ResultBadInactiveAddress:
        case ResultTooLong:
            return 0;
        case RespActive:
        case RespInactive:
            return record.length == 8 ? 8 : 0;  // a bare line has no address
        case RespVersion:
        case RespModelName:
            return kTextPayloadSize;
        case RespInfo:
            return kInfoPayloadSize;
        case RespNetInfo:
            return kNetInfoPayloadSize;
        case RespPanId:
        case RespPhyId:
        case RespUserPanId:
            return 2;
        case RespRfChannel:
        case RespRtStatus:
        case RespRtRssi:
        case RespQuietMode:
        case RespRxPullUp:
            return 1;
        case RespGpioConfig:
            return kGpioEntrySize;
        case RespGpioPeriodic:
            return kGpioPeriodicPayloadSize;
        default:
            return -1;
    }
}

void CheckFields(const ResponseRecord& record) {
    const auto& p = record.payload;
    switch (record.kind) {
        case RespInfo: {
            const InfoPayload info = ReadInfoPayload(record);
            Q470_FUZZ_CHECK(info.mode >= 1 && info.mode <= 4 && info.role >= 1 && info.role <= 2);
            Q470_FUZZ_CHECK(info.linkState <= 1 && info.normalMode <= 1);
            break;
        }
        case RespNetInfo: {
            const NetInfoPayload net = ReadNetInfoPayload(record);
            Q470_FUZZ_CHECK(net.phyId >= 1 && net.phyId <= 13 && net.rfChannel <= 128);
            Q470_FUZZ_CHECK(net.panId >= 1 && net.panId <= 65534 && net.channelMode <= 1);
            Q470_FUZZ_CHECK(net.userPanId == 0 && net.spare == 0);
            break;
        }
        case RespRfChannel:
            Q470_FUZZ_CHECK(p[0] >= 1 && p[0] <= 128);
            break;
        case RespGpioConfig: {
            const GpioEntry entry = ReadGpioEntry(record);
            Q470_FUZZ_CHECK(entry.pin < kGpioPinCount && entry.ioMode <= 2 && entry.pinConfig < 3);
            break;
        }
        case RespGpioPeriodic:
            Q470_FUZZ_CHECK(p[4] <= 1 && p[5] == 0 && p[6] == 0 && p[7] == 0);
            break;
        case RespRtStatus:
            Q470_FUZZ_CHECK(p[0] == 1 || p[0] == 2);
            break;
        case RespQuietMode:
        case RespRxPullUp:
            Q470_FUZZ_CHECK(p[0] <= 1);
            break;
        default:
            break;
    }
}

void CheckRecord(const ResponseRecordPtr& record) {
    Q470_FUZZ_CHECK(record != nullptr);
    Q470_FUZZ_CHECK(record->length <= kMaxPayload);
    const int expected = ExpectedLength(*record);
    Q470_FUZZ_CHECK(expected >= 0 && record->length == expected);
    Q470_FUZZ_CHECK(AllZero(*record, record->length));
    if (IsTextKind(record->kind)) {
        Q470_FUZZ_CHECK(record->payload[kTextPayloadSize - 1] == 0);
        Q470_FUZZ_CHECK(ReadText(*record).size() <= kMaxTextLength);
    }
    CheckFields(*record);
}

void Keep(const ResponseRecordPtr& record, Outcome& outcome) {
    if (record->kind != ResultBadResponse) outcome.records.emplace_back(record->kind, record->length, record->payload);
}

// Every call either takes bytes or ends the round, so a round makes at most one call per byte.
void CheckRoundLength(std::size_t calls, std::size_t bytes) {
    Q470_FUZZ_CHECK(calls <= bytes + 1);
}

// The device link's own way: a line framer that is handed each piece as it comes and keeps no more
// than an unfinished line's worth.
class FramerRound {
public:
    void operator()(std::vector<std::uint8_t>& piece, Outcome& outcome) {
        framer_.Append(piece.data(), piece.size());
        const std::size_t held = framer_.Size();
        std::size_t calls = 0;
        std::string taken;
        while (auto record = framer_.Next(&taken)) {
            CheckRoundLength(++calls, held);
            CheckRecord(record);
            // The end of a line dropped as too long may come with no byte of its own: its line end
            // stays, for it may open the next line.
            Q470_FUZZ_CHECK(!taken.empty() || record->kind == ResultTooLong);
            Keep(record, outcome);
        }
        // Only an unfinished line is left, with at most the CR LF that opened it and the CR (and one
        // byte) of the line end that may close it: anything longer is being dropped, whatever the size
        // of the pieces.
        Q470_FUZZ_CHECK(framer_.Size() <= kMaxLineLength + 4);
        piece.clear();
    }

private:
    LineFramer framer_;
};

// The device link's receive side in front of the framer, with a small cap and taken only every other
// piece, so that bytes are dropped: fewer records may come out, but never one the stream did not hold.
class CappedRound {
public:
    void operator()(std::vector<std::uint8_t>& piece, Outcome& outcome) {
        received_.Append(piece.data(), piece.size());
        piece.clear();
        Q470_FUZZ_CHECK(received_.Size() <= kCap);
        if (++pieces_ % 2 != 0) return;
        auto taken = received_.Take();
        if (taken.breakUnfinished) framer_.BreakUnfinished();
        framer_.Append(taken.bytes.data(), taken.bytes.size());
        while (auto record = framer_.Next()) {
            CheckRecord(record);
            Keep(record, outcome);
        }
    }

private:
    static constexpr std::size_t kCap = 48;
    ReceiveBuffer received_{kCap};
    LineFramer framer_;
    std::size_t pieces_ = 0;
};

bool IsSubsequence(const std::vector<Snapshot>& part, const std::vector<Snapshot>& whole) {
    auto at = whole.begin();
    for (const auto& record : part) {
        at = std::find(at, whole.end(), record);
        if (at == whole.end()) return false;
        ++at;
    }
    return true;
}

// Hands the stream to `round` in pieces of the given sizes (the whole stream at once without any); the
// round takes each piece from `residual`.
template <typename Round>
Outcome Deliver(const Input& input, const std::vector<std::size_t>& pieces, Round round) {
    Outcome outcome;
    std::size_t next = 0;
    for (std::size_t at = 0; at < input.size;) {
        const std::size_t piece = pieces.empty() ? input.size : pieces[next++ % pieces.size()];
        const std::size_t taken = std::min(piece, input.size - at);
        outcome.residual.insert(outcome.residual.end(), input.stream + at, input.stream + at + taken);
        at += taken;
        round(outcome.residual, outcome);
    }
    return outcome;
}

// Lines a device sends, filled in from the input's bytes: every one parses to a value, and none has a
// tail after its first byte that does.
std::string DeviceLine(const std::uint8_t* bytes) {
    const unsigned a = bytes[1];
    const unsigned b = bytes[2];
    const std::string n = std::to_string(1 + (a << 8 | b) % 65533);
    switch (bytes[0] % 12) {
        case 0:
            return "OK";
        case 1:
            return "ERROR";
        case 2:
            return "+READY";
        case 3:
            return "+QM," + std::to_string(a % 2);
        case 4:
            return "+UPANID," + n;
        case 5:
            return "+PANID," + n;
        case 6:
            return "+RFCH," + std::to_string(1 + a % 128);
        case 7:
            return "+URPU," + std::to_string(a % 2);
        case 8:
            return "+VER," + std::to_string(a % 10) + "." + std::to_string(b % 20) + "." + std::to_string(a / 10);
        case 9:
            return "+GPIOC," + std::to_string(a % 13) + "," + std::to_string(b % 3) + "," + std::to_string(a % 3);
        case 10:
            return "+GPIOP," + n + "," + std::to_string(b % 2);
        default:
            return "+MODELNAME,Q470R";
    }
}

// Where a stray byte may be slipped in at no cost: before a line's opening CR LF (or after the last
// closing one), inside a CR LF, or after an opening CR LF, where a CR or LF is only one more line end.
// A stray CR inside a closing CR LF, right after the text, makes that line noise: the text's last byte
// may equally have been replaced.
struct DeviceStream {
    std::string bytes;
    std::vector<std::size_t> beforeOpenings;
    std::vector<std::size_t> afterOpenings;
    std::vector<std::size_t> insideOpenings;
    std::vector<std::size_t> insideClosings;
};

DeviceStream DeviceLines(const Input& input) {
    DeviceStream stream;
    for (std::size_t at = 0; at + 3 <= input.size && stream.bytes.size() < 2048; at += 3) {
        const std::string line = DeviceLine(input.stream + at);
        const std::size_t start = stream.bytes.size();
        stream.bytes += "\r\n" + line + "\r\n";
        const std::size_t closing = start + 2 + line.size();
        stream.beforeOpenings.push_back(start);
        stream.afterOpenings.push_back(start + 2);
        stream.insideOpenings.push_back(start + 1);
        stream.insideClosings.push_back(closing + 1);
    }
    stream.beforeOpenings.push_back(stream.bytes.size());
    return stream;
}

std::vector<Snapshot> FramedRecords(const std::string& bytes) {
    LineFramer framer;
    framer.Append(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    Outcome outcome;
    while (auto record = framer.Next()) Keep(record, outcome);
    return outcome.records;
}

bool Contains(const std::vector<std::size_t>& places, std::size_t at) {
    return std::find(places.begin(), places.end(), at) != places.end();
}

// One stray byte in a device's answer: a value only from what the device sent, and nothing lost to a
// stray byte where a line's text is not.
void CheckStrayByte(const Input& input) {
    const DeviceStream stream = DeviceLines(input);
    if (stream.bytes.empty()) return;
    const std::vector<Snapshot> clean = FramedRecords(stream.bytes);
    static constexpr char kStrays[] = {'\r', '\n', '\0'};
    const char stray = kStrays[(input.header >> 4) % 3];
    const bool replace = (input.header & 0x40) != 0;
    std::size_t sum = 0;
    for (std::size_t i = 0; i < input.size; ++i) sum += input.stream[i];
    const std::size_t at = sum % (stream.bytes.size() + (replace ? 0 : 1));
    std::string corrupted = stream.bytes;
    if (replace) {
        corrupted[at] = stray;
    } else {
        corrupted.insert(at, 1, stray);
    }
    const std::vector<Snapshot> seen = FramedRecords(corrupted);
    Q470_FUZZ_CHECK(IsSubsequence(seen, clean));
    if (replace) return;
    const bool costsNothing = Contains(stream.beforeOpenings, at) || Contains(stream.insideOpenings, at) ||
                              (Contains(stream.afterOpenings, at) && stray != '\0') ||
                              (Contains(stream.insideClosings, at) && stray != '\r');
    if (costsNothing) Q470_FUZZ_CHECK(seen == clean);
}

// The parser converts numbers like the C library's decimal conversion, saturated to 32 bits.
void CheckCDecimal(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    errno = 0;
    const long long reference = std::strtoll(text.c_str(), nullptr, 10);
    const long long clamped = std::clamp<long long>(reference, std::numeric_limits<std::int32_t>::min(),
                                                    std::numeric_limits<std::int32_t>::max());
    Q470_FUZZ_CHECK(ParseCDecimal(text) == clamped);
}

}  // namespace
}  // namespace q470

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace q470;
    const Input input = Split(data, size);

    const auto whole = ParseResponse(input.stream, input.size);
    CheckRecord(whole);
    if (input.size > kMaxFrameLength) Q470_FUZZ_CHECK(whole->kind == ResultTooLong);
    CheckCDecimal(input.stream, input.size);

    // However the bytes are cut into pieces, the same answers come out as from the stream in one piece.
    const Outcome reference = Deliver(input, {}, FramerRound());
    if (!input.pieces.empty())
        Q470_FUZZ_CHECK(Deliver(input, input.pieces, FramerRound()).records == reference.records);
    if (!input.pieces.empty()) {
        Q470_FUZZ_CHECK(IsSubsequence(Deliver(input, input.pieces, CappedRound()).records, reference.records));
    }
    CheckStrayByte(input);
    return 0;
}
