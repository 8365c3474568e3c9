#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "response_record.h"

namespace q470 {

constexpr std::size_t kMaxFrameLength = 255;

// Turns one complete CR LF framed line (leading and trailing CR LF included) into a record. It never
// fails: every defect is expressed as the record's kind.
ResponseRecordPtr ParseResponse(const std::uint8_t* frame, std::size_t length);

// Cuts at most one frame off the front of `data`, skipping stray line ends and empty lines, and
// parses it. `consumed` receives the number of bytes taken; an incomplete frame is left alone.
// An empty input gives ResultInvalidInput, no complete frame gives ResultBadResponse.
ResponseRecordPtr ExtractFrame(const std::uint8_t* data, std::size_t size, std::size_t& consumed);

// The same on the device link's frame buffer: the consumed bytes are removed from its front.
ResponseRecordPtr ExtractFrame(std::vector<std::uint8_t>& buffer);

}  // namespace q470
