#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "modem_settings.h"

namespace q470::bench {

// The bytes an exchange puts on the line, each counted once: the commands as the device received
// them and every line it answered (a query's final OK included; the "+READY" a restart announces
// later is not part of the exchange).
struct LineBytes {
    std::size_t sent = 0;
    std::size_t received = 0;
};

// The device's answers are a function of its settings and the commands; a second device with the same
// settings, fed the transcript, tells how many bytes the first one sent.
LineBytes CountLineBytes(const sim::ModemSettings& settings, const std::vector<std::string>& commands);

// The time the bytes alone take at the line rate, 8N1 (ten bits a character).
double LineMs(std::size_t bytes, std::uint32_t baudRate);

double Median(std::vector<double> values);

}  // namespace q470::bench
