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

}  // namespace q470
