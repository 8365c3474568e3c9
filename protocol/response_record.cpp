#include "response_record.h"

#include <algorithm>

namespace q470 {
namespace {

std::uint64_t ReadLittleEndian(const ResponseRecord& record, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = width; i-- > 0;) value = (value << 8) | record.payload[offset + i];
    return value;
}

void WriteLittleEndian(ResponseRecord& record, std::size_t offset, std::size_t width, std::uint64_t value) {
    for (std::size_t i = 0; i < width; ++i) record.payload[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

ResponseRecordPtr MakeRecord(std::int32_t kind, std::uint16_t length) {
    auto record = std::make_unique<ResponseRecord>();
    record->kind = kind;
    record->length = length;
    return record;
}

std::uint16_t ReadU16(const ResponseRecord& record, std::size_t offset) {
    return static_cast<std::uint16_t>(ReadLittleEndian(record, offset, 2));
}

std::uint32_t ReadU32(const ResponseRecord& record, std::size_t offset) {
    return static_cast<std::uint32_t>(ReadLittleEndian(record, offset, 4));
}

std::uint64_t ReadU64(const ResponseRecord& record, std::size_t offset) {
    return ReadLittleEndian(record, offset, 8);
}

void WriteU16(ResponseRecord& record, std::size_t offset, std::uint16_t value) {
    WriteLittleEndian(record, offset, 2, value);
}

void WriteU32(ResponseRecord& record, std::size_t offset, std::uint32_t value) {
    WriteLittleEndian(record, offset, 4, value);
}

void WriteU64(ResponseRecord& record, std::size_t offset, std::uint64_t value) {
    WriteLittleEndian(record, offset, 8, value);
}

InfoPayload ReadInfoPayload(const ResponseRecord& record) {
    InfoPayload info;
    info.extendedAddress = ReadU64(record, 0);
    info.mode = record.payload[8];
    info.role = record.payload[9];
    info.linkState = record.payload[10];
    info.normalMode = record.payload[11];
    return info;
}

void WriteInfoPayload(ResponseRecord& record, const InfoPayload& info) {
    WriteU64(record, 0, info.extendedAddress);
    record.payload[8] = info.mode;
    record.payload[9] = info.role;
    record.payload[10] = info.linkState;
    record.payload[11] = info.normalMode;
}

NetInfoPayload ReadNetInfoPayload(const ResponseRecord& record) {
    NetInfoPayload net;
    net.phyId = record.payload[0];
    net.rfChannel = record.payload[1];
    net.panId = ReadU16(record, 2);
    net.userPanId = ReadU16(record, 4);
    net.channelMode = record.payload[6];
    net.spare = record.payload[7];
    return net;
}

void WriteNetInfoPayload(ResponseRecord& record, const NetInfoPayload& net) {
    record.payload[0] = net.phyId;
    record.payload[1] = net.rfChannel;
    WriteU16(record, 2, net.panId);
    WriteU16(record, 4, net.userPanId);
    record.payload[6] = net.channelMode;
    record.payload[7] = net.spare;
}

GpioEntry ReadGpioEntry(const ResponseRecord& record, std::size_t index) {
    const std::size_t offset = index * kGpioEntrySize;
    return {record.payload[offset], record.payload[offset + 1], record.payload[offset + 2]};
}

void WriteGpioEntry(ResponseRecord& record, std::size_t index, const GpioEntry& entry) {
    const std::size_t offset = index * kGpioEntrySize;
    record.payload[offset] = entry.pin;
    record.payload[offset + 1] = entry.ioMode;
    record.payload[offset + 2] = entry.pinConfig;
}

GpioTable ReadGpioTable(const ResponseRecord& record) {
    GpioTable table;
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = ReadGpioEntry(record, i);
    return table;
}

GpioPeriodicPayload ReadGpioPeriodicPayload(const ResponseRecord& record) {
    return {static_cast<std::int32_t>(ReadU32(record, 0)), record.payload[4]};
}

void WriteGpioPeriodicPayload(ResponseRecord& record, const GpioPeriodicPayload& periodic) {
    WriteU32(record, 0, static_cast<std::uint32_t>(periodic.reportInterval));
    record.payload[4] = periodic.sendRemote;
}

std::string ReadText(const ResponseRecord& record) {
    const auto* begin = record.payload.data();
    const auto* end = std::find(begin, begin + kTextPayloadSize, std::uint8_t{0});
    return std::string(begin, end);
}

}  // namespace q470
