#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "response_kind.h"

namespace q470 {

constexpr std::size_t kMaxPayload = 128;
constexpr std::size_t kTextPayloadSize = 128;
constexpr std::size_t kMaxTextLength = kTextPayloadSize - 1;  // the text payload always ends in NUL
constexpr std::size_t kGpioPinCount = 13;

// One parsed answer or link result. Payload bytes the parser did not write are zero; multi-byte
// integers are little-endian at the offsets of the payload layouts below.
struct ResponseRecord {
    std::int32_t kind = 0;
    std::uint16_t length = 0;
    std::array<std::uint8_t, kMaxPayload> payload{};
};

using ResponseRecordPtr = std::unique_ptr<ResponseRecord>;

ResponseRecordPtr MakeRecord(std::int32_t kind, std::uint16_t length = 0);

// 12 bytes: address at 0 (most significant byte at offset 7), mode 8, role 9, link state 10,
// normal-mode flag 11.
struct InfoPayload {
    std::uint64_t extendedAddress = 0;
    std::uint8_t mode = 0;        // 1 P2P, 2 P2PCMD, 3 MULTI, 4 MULTICMD
    std::uint8_t role = 0;        // 1 COORD, 2 DEV
    std::uint8_t linkState = 0;   // 0 ACT, 1 INACT
    std::uint8_t normalMode = 0;  // 0: the device is in configuration mode
};
constexpr std::uint16_t kInfoPayloadSize = 12;

// 8 bytes: PHY ID 0, RF channel 1, PAN ID 2..3, user PAN ID 4..5 (the parser leaves it zero),
// channel mode 6, spare 7.
struct NetInfoPayload {
    std::uint8_t phyId = 0;
    std::uint8_t rfChannel = 0;
    std::uint16_t panId = 0;
    std::uint16_t userPanId = 0;
    std::uint8_t channelMode = 0;  // 0 BC, 1 FH
    std::uint8_t spare = 0;
};
constexpr std::uint16_t kNetInfoPayloadSize = 8;

struct GpioEntry {
    std::uint8_t pin = 0;
    std::uint8_t ioMode = 0;
    std::uint8_t pinConfig = 0;
};
constexpr std::uint16_t kGpioEntrySize = 3;

// Entry i describes pin i; 39 bytes on the wire of the record.
using GpioTable = std::array<GpioEntry, kGpioPinCount>;
constexpr std::uint16_t kGpioTableSize = kGpioEntrySize * kGpioPinCount;

// 8 bytes: interval 0..3 (signed, unchecked), send-remote flag 4, three zero bytes.
struct GpioPeriodicPayload {
    std::int32_t reportInterval = 0;
    std::uint8_t sendRemote = 0;
};
constexpr std::uint16_t kGpioPeriodicPayloadSize = 8;

std::uint16_t ReadU16(const ResponseRecord& record, std::size_t offset);
std::uint32_t ReadU32(const ResponseRecord& record, std::size_t offset);
std::uint64_t ReadU64(const ResponseRecord& record, std::size_t offset);
void WriteU16(ResponseRecord& record, std::size_t offset, std::uint16_t value);
void WriteU32(ResponseRecord& record, std::size_t offset, std::uint32_t value);
void WriteU64(ResponseRecord& record, std::size_t offset, std::uint64_t value);

InfoPayload ReadInfoPayload(const ResponseRecord& record);
void WriteInfoPayload(ResponseRecord& record, const InfoPayload& info);
NetInfoPayload ReadNetInfoPayload(const ResponseRecord& record);
void WriteNetInfoPayload(ResponseRecord& record, const NetInfoPayload& net);
GpioEntry ReadGpioEntry(const ResponseRecord& record, std::size_t index = 0);
void WriteGpioEntry(ResponseRecord& record, std::size_t index, const GpioEntry& entry);
GpioTable ReadGpioTable(const ResponseRecord& record);
GpioPeriodicPayload ReadGpioPeriodicPayload(const ResponseRecord& record);
void WriteGpioPeriodicPayload(ResponseRecord& record, const GpioPeriodicPayload& periodic);

// The text of a version or model-name record, up to its terminating NUL.
std::string ReadText(const ResponseRecord& record);

}  // namespace q470
