#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "modem_settings.h"

namespace q470::sim {

// What the simulated modem does wrong or slowly for one command. The default is a prompt, correct answer.
struct CommandFault {
    bool silent = false;                        // send nothing at all
    bool answerError = false;                   // answer "\r\nERROR\r\n" instead of the real answer
    std::chrono::milliseconds delay{0};         // wait before the first byte of the answer
    std::chrono::milliseconds trailerDelay{0};  // extra wait before the final OK/ERROR line only
    std::vector<std::size_t> splitAt;           // byte offsets in the answer where it is cut into pieces
    std::chrono::milliseconds splitPause{0};    // pause between those pieces
    std::string injectBetweenLines;             // bytes written between the answer's lines (garbage,
                                                // "\r\n+ACTIVE\r\n", ...)
    bool hangUp = false;                        // close the pseudo-terminal instead of answering
};

// Chooses the fault for each received command line (the command text without its CR). Tests give
// fixed faults by keyword; the soak harness gives random ones.
using FaultPolicy = std::function<CommandFault(const std::string& command)>;

struct TranscriptEntry {
    std::chrono::steady_clock::time_point time;  // when the command's CR arrived
    std::string command;                         // the bytes received, CR included, exactly
};

// A simulated modem served on a pseudo-terminal. The application opens PortPath() as its serial port.
class SimulatedModem {
public:
    explicit SimulatedModem(ModemSettings settings);
    ~SimulatedModem();  // stops and removes what Start created
    SimulatedModem(const SimulatedModem&) = delete;
    SimulatedModem& operator=(const SimulatedModem&) = delete;

    // Opens the pseudo-terminal and starts serving on a thread of its own. Returns false with a
    // message in `error` when the pseudo-terminal cannot be created.
    bool Start(std::string* error = nullptr);
    void Stop();
    const std::string& PortPath() const;

    // Line settings used for pacing: when pacing is on, a command is acted on only once its own line
    // time has passed since its first byte arrived, and answers go out no faster than the line rate.
    void SetPacing(bool on, std::uint32_t baudRate, std::uint8_t dataBits = 8, bool parity = false,
                   std::uint8_t stopBits = 1);
    void SetEcho(bool on);

    // Fault for every command whose text starts with `keyword` (for example "AT+QM?" or "AT+GPIOC=").
    void SetFault(const std::string& keyword, const CommandFault& fault);
    void SetFaultPolicy(FaultPolicy policy);
    void ClearFaults();
    // Closes the pseudo-terminal after this many further commands have been received (0: never).
    void HangUpAfter(std::size_t commands);

    // A copy of the device's current settings, and a way to change them between commands.
    ModemSettings Settings() const;
    void UpdateSettings(const std::function<void(ModemSettings&)>& change);

    std::vector<TranscriptEntry> Transcript() const;
    std::vector<std::string> Commands() const;  // the transcript's command texts only
    void ClearTranscript();
    // Waits until at least `count` commands have been received; false on time-out.
    bool WaitForCommands(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace q470::sim
