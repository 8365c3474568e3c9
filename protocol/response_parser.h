#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "response_record.h"

namespace q470 {

constexpr std::size_t kMaxFrameLength = 255;
// The text of a line, without the CR LF on either side, that still fits a frame.
constexpr std::size_t kMaxLineLength = kMaxFrameLength - 4;

// Turns one complete CR LF framed line (leading and trailing CR LF included) into a record. It never
// fails: every defect is expressed as the record's kind.
ResponseRecordPtr ParseResponse(const std::uint8_t* frame, std::size_t length);

// One line's text, without line ends: parsed as the frame CR LF, text, CR LF.
ResponseRecordPtr ParseLine(std::string_view text);

// The device ends every line with CR LF, but noise, a dropped byte or an echoed command can leave a
// lone CR or LF anywhere. Every CR and every LF therefore ends a line, whatever came before it, so
// one misplaced byte costs no more than the line it sits in.
bool IsLineEnd(std::uint8_t byte);

// Cuts at most one line off the front of `data`, skipping the line ends before it, and parses it by
// the rule of the device link's LineFramer: a value only from a line opened by a CR LF within `data`
// and closed by one; any other line is noise (ResultBadResponse). `consumed` receives the number of
// bytes taken: the line ends and the line; the line end after it stays, for it may open the next
// line. A line that cannot be told yet is left alone; of a buffer of nothing but line ends, what still
// tells whether the next line is opened stays. An empty input gives ResultInvalidInput, no complete
// line gives ResultBadResponse.
ResponseRecordPtr ExtractFrame(const std::uint8_t* data, std::size_t size, std::size_t& consumed);

// The same on the device link's frame buffer: the consumed bytes are removed from its front.
ResponseRecordPtr ExtractFrame(std::vector<std::uint8_t>& buffer);

}  // namespace q470
