#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "command_fault.h"
#include "line_settings.h"
#include "modem_settings.h"
#include "reenumeration.h"

namespace q470::sim {

struct TranscriptEntry {
    std::chrono::steady_clock::time_point time;  // when the command's CR arrived
    std::string command;                         // the bytes received, CR included, exactly
};

// What happens on the device's line, as the serving thread sees it.
enum class LineEvent {
    FirstByte,  // the first byte arrived on this port (once per port)
    Command,    // a command was taken in
    Restart,    // a restart (ATZ, AT&F, AT+ASSOCCLR) was carried out
    Away,       // the port closed for a restart; the device comes back on a new one
    Back,       // the device serves its new port
    Gone,       // the port closed for good: a hang-up, or a device that does not come back
};
using LineObserver = std::function<void(LineEvent event, std::chrono::steady_clock::time_point at)>;

// A simulated modem served on a pseudo-terminal. The application opens PortPath() as its serial port.
class SimulatedModem {
public:
    explicit SimulatedModem(ModemSettings settings);
    ~SimulatedModem();  // stops and removes what Start created
    SimulatedModem(const SimulatedModem&) = delete;
    SimulatedModem& operator=(const SimulatedModem&) = delete;

    // Opens the pseudo-terminal, makes the links and starts serving on a thread of its own. Returns
    // false with a message in `error` when the pseudo-terminal or a link cannot be made.
    bool Start(std::string* error = nullptr);
    void Stop();
    // The pseudo-terminal Start opened. A device that re-enumerates serves others later: CurrentPortPath.
    const std::string& PortPath() const;
    // The pseudo-terminal served now; empty while the device is away or gone.
    std::string CurrentPortPath() const;

    // Set before Start. Links to the port (see PortLinks): `stable` stands for a by-id or by-path name,
    // `kernel` plays the kernel's name of the port; either may be empty.
    void SetLinks(const std::string& stable, const std::string& kernel = {});
    // The kernel link's name now (it moves on with ReturnName::Other).
    std::string KernelLink() const;
    // Set before Start: whether a restart takes the device off the bus and back (see Reenumeration).
    void SetReenumeration(const Reenumeration& reenumeration);
    // Set before Start; called on the serving thread, which it must not stop.
    void SetLineObserver(LineObserver observer);

    // Line settings used for pacing: when pacing is on, a command is acted on only once its own line
    // time has passed since its first byte arrived, and answers go out no faster than the line rate.
    // A character is a start bit, the data bits, the parity bit if any and `stopBits` (1 or 2) stop bits.
    void SetPacing(bool on, std::uint32_t baudRate, std::uint8_t dataBits = 8, bool parity = false,
                   std::uint8_t stopBits = 1);
    void SetEcho(bool on);
    // How long after the OK of ATZ, AT&F or AT+ASSOCCLR the "+READY" line follows (30 ms unless set).
    void SetReadyDelay(std::chrono::milliseconds delay);

    // Fault for every command whose text starts with `keyword` (for example "AT+QM?" or "AT+GPIOC=");
    // when several keywords match, the longest wins. A keyword fault comes before the policy, which is
    // asked for the other commands, on the serving thread.
    void SetFault(const std::string& keyword, const CommandFault& fault);
    void SetFaultPolicy(FaultPolicy policy);
    void ClearFaults();
    // Closes the pseudo-terminal after this many further commands have been received and the last of
    // them answered (0: never).
    void HangUpAfter(std::size_t commands);
    // When the device last closed its end of the line, until the next Start (or its return on a new
    // port after a restart that took it off the bus).
    std::optional<std::chrono::steady_clock::time_point> HungUpAt() const;

    // A copy of the device's current settings, and a way to change them between commands. A change
    // counts as made before the device started: a UART setting changed here is in force at once.
    ModemSettings Settings() const;
    void UpdateSettings(const std::function<void(ModemSettings&)>& change);
    // The device listens and talks at this line setting: the UART setting as of its last (re)start.
    // AT+UART= takes effect at the next restart. A command that comes in at another line rate or
    // other stop bits is not carried out; the application gets noise back at another rate, nothing
    // at other stop bits. (A pseudo-terminal does not carry data bits and parity.)
    LineSettings ActiveLine() const;

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
