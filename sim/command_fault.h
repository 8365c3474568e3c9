#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace q470::sim {

// What the simulated modem does wrong or slowly for one command. The default is a prompt, correct answer.
struct CommandFault {
    bool silent = false;                        // take the command in, but neither carry it out nor answer
    bool answerError = false;                   // refuse it: "\r\nERROR\r\n" even in quiet mode; nothing changes
    std::chrono::milliseconds delay{0};         // wait before the first byte of the answer
    std::chrono::milliseconds trailerDelay{0};  // extra wait before the final OK/ERROR line only
    std::vector<std::size_t> splitAt;           // byte offsets in the answer where it is cut into pieces
    std::chrono::milliseconds splitPause{0};    // pause between those pieces
    std::string injectBetweenLines;             // bytes written between the answer's lines (garbage,
                                                // "\r\n+ACTIVE\r\n", ...)
    bool hangUp = false;                        // close the pseudo-terminal instead of answering (after
                                                // `delay`); the command is not carried out
    bool unplug = false;  // leave the bus instead of answering, as a cable pulled and put back does: a
                          // re-enumerating device comes back as after a restart, with its settings;
                          // any other hangs up for good. The command is not carried out
    // Single bytes slipped in at the answer's line ends, as line noise does. Every line has two line
    // ends, the one that opens it and the one that closes it, numbered from 0 across the answer (line
    // i: 2i and 2i + 1); a byte goes between the CR and the LF, or else just outside the line end, on
    // the side away from the line. Numbers beyond the answer's line ends are left out.
    struct StrayByte {
        std::size_t lineEnd = 0;
        bool inside = true;
        char byte = 0;
    };
    std::vector<StrayByte> strayBytes;
    bool duplicateDataLines = false;  // every data line goes out twice in a row
    // Answer a set command as if it were taken (OK, a later "+READY") but keep the settings as they
    // were: a device that acknowledges a write and loses it.
    bool acknowledgeWithoutStoring = false;

    // The two faults a device shows most: it never answers, or it answers ERROR (even in quiet mode).
    static CommandFault Silent() {
        CommandFault fault;
        fault.silent = true;
        return fault;
    }
    static CommandFault Refused() {
        CommandFault fault;
        fault.answerError = true;
        return fault;
    }
    static CommandFault Forgotten() {
        CommandFault fault;
        fault.acknowledgeWithoutStoring = true;
        return fault;
    }
};

// Chooses the fault for each received command line (the command text without its CR). Tests give
// fixed faults by keyword; the soak harness gives random ones.
using FaultPolicy = std::function<CommandFault(const std::string& command)>;

}  // namespace q470::sim
