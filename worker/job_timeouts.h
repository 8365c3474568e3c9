#pragma once

#include <cstdint>

namespace q470 {

// Every command waits this long for its answer unless one of the functions below says otherwise.
constexpr std::uint32_t kJobTimeoutMs = 2000;

// Below 9600 baud a few queries get a budget scaled to the line: a fixed number of bit times, in ms
// divided by rate / 10 (integer divisions, the inner one first). At 9600 and above, and for a rate
// too low to scale (below 10 baud), they wait a fixed time.

// AT+MODELNAME? of the identify job.
std::uint32_t ModelNameTimeoutMs(std::uint32_t baudRate);
// AT+INFO? and AT+NETINFO? of the Q470R read job.
std::uint32_t ReadQueryTimeoutMs(std::uint32_t baudRate);
// AT+GPIOC? of the Q470R read job: thirteen lines.
std::uint32_t GpioTableTimeoutMs(std::uint32_t baudRate);
// AT+INFO? of the KELDAN read job.
std::uint32_t KsInfoTimeoutMs(std::uint32_t baudRate);

}  // namespace q470
