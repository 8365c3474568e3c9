#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "modem_settings.h"
#include "reenumeration.h"

namespace q470::sim {

// What q470-sim was asked to serve.
struct SimOptions {
    std::optional<ModemModel> model;
    std::string firmware;
    bool quiet = false;
    bool echo = false;
    unsigned long paceBaud = 0;  // 0: not paced
    unsigned long count = 1;
    std::uint32_t uartBaud = 9600;
    std::optional<std::uint64_t> address;  // the (first) device's extended address
    Reenumeration reenumeration;
    std::string link;        // the stable link of the one device
    std::string kernelLink;  // the link playing its kernel name
    // Fixture mode: units behind stable paths that appear and vanish.
    std::vector<std::string> fixtures;
    unsigned long units = 1;  // per fixture
    std::optional<std::chrono::milliseconds> plugAfter;
    std::optional<std::chrono::milliseconds> unplugAfterRestart;
};

extern const char* const kSimUsage;

// The options of the command line; a wrong one ends the program with a one-line message and status 2,
// --help with the usage and status 0.
SimOptions ParseSimOptions(int argc, char** argv);

}  // namespace q470::sim
