#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace q470 {

enum class CliCommand {
    Ports,
    Identify,
    Read,
    Save,
    Apply,
    Set,
    Gpio,
    Restart,
    FactoryReset,
    At,
    Console,
    Discover,
    Log,
    Station
};

// The line settings a port is opened with, in the serial channel's codes (parity 0 none, 1 odd,
// 2 even; stop bits 0 one, 2 two).
struct LineOptions {
    std::uint32_t baudRate = 9600;
    std::uint8_t dataBits = 8;
    std::uint8_t parity = 0;
    std::uint8_t stopBits = 0;
};

// What the command line asks for, checked as far as it can be without a device.
struct CliRequest {
    CliCommand command = CliCommand::Read;
    std::string commandName;
    std::vector<std::string> arguments;  // the command's own words (file, KEY=VALUE, PIN=MODE:VALUE, AT text)
    std::vector<std::string> ports;
    std::optional<std::string> simModel;
    std::optional<std::string> simFirmware;
    LineOptions line;
    bool json = false;
    std::optional<std::string> interval;    // gpio --interval, checked with the command's arguments
    std::optional<std::string> sendToPeer;  // gpio --send-to-peer
    std::uint32_t atTimeoutMs = 2000;       // at and console --timeout
    bool identify = true;                   // at --no-identify clears it
    bool trace = false;                     // --trace: the traffic on standard error
    std::optional<std::string> traceFile;   // --trace-file: the traffic appended to a file
    bool verify = false;                    // set, gpio, apply --verify: read back after the restart
    bool restart = false;                   // set, gpio --restart (--verify implies it)
    bool thorough = false;                  // discover --thorough: parity and stop-bit variants too
    std::optional<std::string> logFile;     // log --log: the station's record; its default place otherwise
    std::optional<std::string> since;       // log --since: rows started at or after this time
    bool csv = false;                       // log --csv
    // station: its own options.
    std::optional<std::string> stationName;  // --station-name; the host name otherwise
    bool noVerify = false;                   // --no-verify
    bool again = false;                      // --again
    int retries = 0;                         // --retries N
    bool once = false;                       // --once
    int units = 0;                           // --units N; 0: no limit
    std::optional<std::string> onPass;       // --on-pass CMD
    std::optional<std::string> onFail;       // --on-fail CMD
};

}  // namespace q470
