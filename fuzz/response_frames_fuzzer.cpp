// Feeds arbitrary device output to the line framer the device link uses, and to the one-shot frame
// extractor, the way the link receives it: the bytes arrive in pieces, each piece is appended, and
// lines are taken until only an unfinished one is left. However the bytes are cut, the same records
// must come out.
//
// Input: one header byte whose low four bits give the number n of piece-size bytes after it, then those
// n bytes, then the bytes the device sends. The pieces are (size byte % 64) + 1 long, cycled; with n = 0
// the stream arrives in one piece.

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
    std::vector<std::size_t> pieces;
    const std::uint8_t* stream = nullptr;
    std::size_t size = 0;
};

Input Split(const std::uint8_t* data, std::size_t size) {
    Input input;
    if (size == 0) return input;
    const std::size_t count = std::min<std::size_t>(data[0] & 0x0F, size - 1);
    for (std::size_t i = 0; i < count; ++i) input.pieces.push_back(data[1 + i] % kMaxPieceBytes + 1);
    input.stream = data + 1 + count;
    input.size = size - 1 - count;
    return input;
}

// What a caller can see of a record.
using Snapshot = std::tuple<std::int32_t, std::uint16_t, std::array<std::uint8_t, kMaxPayload>>;

struct Outcome {
    std::vector<Snapshot> records;  // every record except ResultBadResponse, in order
    std::vector<std::uint8_t> residual;
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

// The view form on a moving offset, the consumed bytes erased once per round.
void ExtractWithOffsets(std::vector<std::uint8_t>& buffer, Outcome& outcome) {
    std::size_t offset = 0;
    std::size_t calls = 0;
    while (offset < buffer.size()) {
        CheckRoundLength(++calls, buffer.size());
        std::size_t consumed = SIZE_MAX;
        const auto record = ExtractFrame(buffer.data() + offset, buffer.size() - offset, consumed);
        Q470_FUZZ_CHECK(consumed <= buffer.size() - offset);
        CheckRecord(record);
        Q470_FUZZ_CHECK(record->kind != ResultInvalidInput);
        if (consumed == 0) break;
        offset += consumed;
        Keep(record, outcome);
    }
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(offset));
}

// The buffer form, which erases after every call.
void ExtractFromBuffer(std::vector<std::uint8_t>& buffer, Outcome& outcome) {
    const std::size_t start = buffer.size();
    std::size_t calls = 0;
    while (!buffer.empty()) {
        CheckRoundLength(++calls, start);
        const std::size_t before = buffer.size();
        const auto record = ExtractFrame(buffer);
        Q470_FUZZ_CHECK(buffer.size() <= before);
        CheckRecord(record);
        if (buffer.size() == before) break;
        Keep(record, outcome);
    }
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
            Q470_FUZZ_CHECK(!taken.empty());
            Keep(record, outcome);
        }
        // Only an unfinished line is left, with at most the CR LF that opened it: anything longer
        // is being dropped, whatever the size of the pieces.
        Q470_FUZZ_CHECK(framer_.Size() <= kMaxLineLength + 2);
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

// Line ends before an unfinished line are taken whenever a call sees them, so how much of them is
// left depends on the cuts; the unfinished line itself does not.
std::vector<std::uint8_t> WithoutLeadingLineEnds(const std::vector<std::uint8_t>& bytes) {
    return {std::find_if_not(bytes.begin(), bytes.end(), IsLineEnd), bytes.end()};
}

// ExtractFrame works on the whole buffer, so the pieces pile up in `residual`; the framer takes each
// piece itself.
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

    std::size_t consumed = SIZE_MAX;
    const auto empty = ExtractFrame(input.stream, 0, consumed);
    Q470_FUZZ_CHECK(consumed == 0 && empty && empty->kind == ResultInvalidInput);
    const auto whole = ParseResponse(input.stream, input.size);
    CheckRecord(whole);
    if (input.size > kMaxFrameLength) Q470_FUZZ_CHECK(whole->kind == ResultTooLong);
    CheckCDecimal(input.stream, input.size);

    // However the bytes are cut into pieces, the same answers come out, and the same bytes are left of
    // an unfinished line. The framer drops a line as soon as it is too long, so it is compared on the
    // records alone.
    const Outcome reference = Deliver(input, {}, ExtractWithOffsets);
    for (const Outcome& pieced :
         {Deliver(input, input.pieces, ExtractWithOffsets), Deliver(input, input.pieces, ExtractFromBuffer)}) {
        Q470_FUZZ_CHECK(pieced.records == reference.records);
        Q470_FUZZ_CHECK(WithoutLeadingLineEnds(pieced.residual) == WithoutLeadingLineEnds(reference.residual));
    }
    for (const auto& pieces : {std::vector<std::size_t>{}, input.pieces}) {
        Q470_FUZZ_CHECK(Deliver(input, pieces, FramerRound()).records == reference.records);
    }
    if (!input.pieces.empty()) {
        Q470_FUZZ_CHECK(IsSubsequence(Deliver(input, input.pieces, CappedRound()).records, reference.records));
    }
    return 0;
}
