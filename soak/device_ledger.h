#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "fault_chooser.h"
#include "ledger_entry.h"
#include "line_settings.h"
#include "simulated_modem.h"

namespace q470::soak {

// The soak device's fault policy and its memory: draws a fault for every command, works out what the
// device would have answered, and keeps both so that each job's result can be checked against what
// the device really did. Entries are numbered from the device's start; Forget drops the old ones.
// The device calls the policy on its own thread: stop the device before the ledger goes.
class DeviceLedger {
public:
    DeviceLedger(sim::SimulatedModem& modem, FaultChooser& chooser);
    DeviceLedger(const DeviceLedger&) = delete;
    DeviceLedger& operator=(const DeviceLedger&) = delete;

    // Installs the policy; the device also hangs up after `hangUpAfter` commands (0: never).
    void Attach(std::size_t hangUpAfter);
    // The device answers only at its own line setting, and the jobs write random UART settings that a
    // restart (ATZ, AT+ASSOCCLR) would put in force: the device is set to the line the port is opened
    // with now, and set back to it before every restart. (A factory reset goes back to the factory
    // setting; the soak reconnects after it and sets the line again.)
    void KeepLine(const sim::LineSettings& line);

    std::size_t Mark() const;  // the number the next entry will get
    std::vector<LedgerEntry> Since(std::size_t mark) const;
    void Forget(std::size_t mark);  // drops the entries before `mark`
    // When every answer planned so far is out.
    std::chrono::steady_clock::time_point QuietAt() const;
    // The device has closed, or will close, its end of the line.
    bool HangUpDue() const;

private:
    sim::CommandFault Decide(const std::string& command);

    sim::SimulatedModem& modem_;
    FaultChooser& chooser_;
    mutable std::mutex mutex_;
    std::deque<LedgerEntry> entries_;
    std::size_t first_ = 0;  // the number of entries_.front()
    std::size_t hangUpAfter_ = 0;
    bool hangUpDue_ = false;
    std::optional<sim::LineSettings> line_;
    std::chrono::steady_clock::time_point quietAt_{};
};

}  // namespace q470::soak
