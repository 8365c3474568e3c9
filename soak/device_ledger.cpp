#include "device_ledger.h"

#include <algorithm>

#include "modem_device.h"

namespace q470::soak {
namespace {

using Clock = std::chrono::steady_clock;

// The simulated device's default pause before "+READY", and room for the bytes to cross the line.
constexpr std::chrono::milliseconds kReadyDelay{30};
constexpr std::chrono::milliseconds kTransfer{20};

Clock::time_point AnswerDoneAt(const LedgerEntry& entry) {
    const auto& fault = entry.fault;
    auto done = entry.handled + fault.delay + fault.trailerDelay + fault.splitPause * fault.splitAt.size() + kTransfer;
    if (!entry.reply.laterLine.empty()) done += kReadyDelay;
    return done;
}

}  // namespace

DeviceLedger::DeviceLedger(sim::SimulatedModem& modem, FaultChooser& chooser) : modem_(modem), chooser_(chooser) {}

void DeviceLedger::Attach(std::size_t hangUpAfter) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        hangUpAfter_ = hangUpAfter;
    }
    modem_.HangUpAfter(hangUpAfter);
    modem_.SetFaultPolicy([this](const std::string& command) { return Decide(command); });
}

void DeviceLedger::KeepLine(const sim::LineSettings& line) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        line_ = line;
    }
    modem_.UpdateSettings([&line](sim::ModemSettings& s) { sim::SetUart(s, line); });
}

// On the device's serving thread, just before the device carries the command out.
sim::CommandFault DeviceLedger::Decide(const std::string& command) {
    std::optional<sim::LineSettings> line;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        line = line_;
    }
    if (line && (command == "ATZ" || command == "AT+ASSOCCLR")) {
        modem_.UpdateSettings([&line](sim::ModemSettings& s) { sim::SetUart(s, *line); });
    }
    LedgerEntry entry;
    entry.command = command;
    entry.fault = chooser_.Choose();
    sim::ModemDevice shadow(modem_.Settings());
    entry.reply = shadow.Handle(command);
    entry.handled = Clock::now();
    entry.quietAt = AnswerDoneAt(entry);

    std::lock_guard<std::mutex> lock(mutex_);
    quietAt_ = std::max(quietAt_, entry.quietAt);
    const bool lastBeforeHangUp = hangUpAfter_ > 0 && first_ + entries_.size() + 1 == hangUpAfter_;
    hangUpDue_ = hangUpDue_ || entry.fault.hangUp || lastBeforeHangUp;
    const sim::CommandFault fault = entry.fault;
    entries_.push_back(std::move(entry));
    return fault;
}

std::size_t DeviceLedger::Mark() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return first_ + entries_.size();
}

std::vector<LedgerEntry> DeviceLedger::Since(std::size_t mark) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::size_t from = std::min(std::max(mark, first_) - first_, entries_.size());
    return {entries_.begin() + static_cast<std::ptrdiff_t>(from), entries_.end()};
}

void DeviceLedger::Forget(std::size_t mark) {
    std::lock_guard<std::mutex> lock(mutex_);
    while (first_ < mark && !entries_.empty()) {
        entries_.pop_front();
        ++first_;
    }
}

Clock::time_point DeviceLedger::QuietAt() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return quietAt_;
}

bool DeviceLedger::HangUpDue() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return hangUpDue_;
}

}  // namespace q470::soak
