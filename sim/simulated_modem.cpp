#include "simulated_modem.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <array>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <system_error>
#include <thread>
#include <utility>

#include "answer_plan.h"
#include "command_framer.h"
#include "line_settings.h"
#include "modem_device.h"
#include "output_queue.h"
#include "port_close_watch.h"
#include "port_links.h"
#include "pty_port.h"

namespace q470::sim {
namespace {

using Clock = std::chrono::steady_clock;
using Nanoseconds = std::chrono::nanoseconds;

constexpr std::chrono::milliseconds kDefaultReadyDelay{30};
constexpr std::size_t kReadChunkBytes = 4096;
// Beyond this many unanswered commands the device stops reading; the writer then waits on the
// pseudo-terminal's own buffer instead of growing ours.
constexpr std::size_t kMaxPendingCommands = 64;
constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
constexpr const char* kErrorLine = "\r\nERROR\r\n";
// A hang-up discards what the application has not read yet, so the device first lets it read its last
// answer, for at most the drain limit (the application may have the port closed). Written bytes reach
// the application's queue only once the kernel has passed them on, so the queue is judged no earlier
// than the settle time after the hang-up fell due.
constexpr std::chrono::milliseconds kHangUpDrainLimit{500};
constexpr std::chrono::milliseconds kHangUpSettle{20};
// A restart's OK is what the application waits for before it looks for the device again; on a busy
// machine the kernel may pass it on later than the settle time, so it is given longer.
constexpr std::chrono::milliseconds kRestartHangUpSettle{100};
constexpr std::chrono::milliseconds kHangUpDrainPoll{1};

enum class WriteResult { Written, Blocked, Failed };

// A paced line is simulated by sleeping until the next character is through; the default timer
// slack of 50 µs would add up to a few percent at 115200 baud.
void TightenTimerSlack() {
#ifdef __linux__
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
}

timespec Remaining(SteadyTime deadline, SteadyTime now) {
    const auto ns = deadline > now ? (deadline - now).count() : 0;
    return timespec{static_cast<time_t>(ns / kNanosecondsPerSecond), static_cast<long>(ns % kNanosecondsPerSecond)};
}

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

struct SimulatedModem::Impl {
    explicit Impl(ModemSettings settings) : device(std::move(settings)), activeLine(UartOf(device.Settings())) {}

    // Shared between the API and the serving thread, under `mutex`.
    mutable std::mutex mutex;
    mutable std::condition_variable commandReceived;
    ModemDevice device;
    std::vector<std::pair<std::string, CommandFault>> faults;
    FaultPolicy policy;
    std::size_t hangUpAfter = 0;
    std::vector<TranscriptEntry> transcript;
    LineSettings activeLine;  // the UART setting in force: the stored one as of the last (re)start
    std::atomic<bool> echo{false};
    std::atomic<std::int64_t> charTimeNs{0};
    std::atomic<std::int64_t> readyDelayNs{Nanoseconds(kDefaultReadyDelay).count()};
    // Set before Start.
    Reenumeration reenumeration;
    LineObserver observer;
    PortLinks links;              // under `mutex`: the serving thread moves them
    std::string currentPortPath;  // under `mutex`

    // Set up by Start and torn down by Stop; in between the serving thread owns the port.
    PtyPort port;
    std::string portPath;
    std::array<int, 2> wake{-1, -1};  // Stop writes a byte to wake the serving thread
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> lineClosed{false};      // the serving thread has hung up and is ending
    std::atomic<std::int64_t> hungUpAtNs{0};  // steady clock, since its epoch; 0 while connected
    std::thread thread;

    // The serving thread's own state.
    CommandFramer framer;
    std::vector<ReceivedCommand> framed;
    std::deque<ReceivedCommand> commands;
    OutputQueue output;
    bool writeBlocked = false;
    std::optional<SteadyTime> hangUpDueSince;  // set while the last answer drains before a hang-up
    bool restartDue = false;                   // the coming hang-up is a restart's: the device comes back
    bool leavingForRestart = false;            // the same, whether or not it comes back
    bool firstByteSeen = false;

    void Serve();
    bool ComeBack();
    bool ServeNewPort();
    void Tell(LineEvent event);
    bool HangUpWhenDrained(SteadyTime now);
    bool Advance(SteadyTime now);
    bool WaitForEvents();
    std::optional<SteadyTime> NextDeadline() const;
    bool ReadInput();
    WriteResult Write(std::string_view bytes);
    void HandleCommand(const ReceivedCommand& received);
    CommandFault FaultFor(const std::string& command) const;
    void HangUp();
    void ResetServingState();
    void CloseAll();

    Nanoseconds CharTime() const { return Nanoseconds(charTimeNs.load()); }
};

void SimulatedModem::Impl::Serve() {
    TightenTimerSlack();
    for (;;) {
        while (Advance(Clock::now()) && WaitForEvents()) {
        }
        if (stopRequested || !restartDue || !ComeBack()) return;
    }
}

// After a restart that took the device off the bus: away for a while (Stop ends the wait), then on a
// new port. False when it does not come back.
bool SimulatedModem::Impl::ComeBack() {
    restartDue = false;
    pollfd stop{wake[0], POLLIN, 0};
    const int awayMs = static_cast<int>(reenumeration.away.count());
    while (::poll(&stop, 1, awayMs) < 0 && errno == EINTR) {
    }
    if (stop.revents != 0 || stopRequested) return false;
    if (!ServeNewPort()) {
        lineClosed = true;
        Tell(LineEvent::Gone);
        return false;
    }
    Tell(LineEvent::Back);
    return true;
}

bool SimulatedModem::Impl::ServeNewPort() {
    if (port.Open()) return false;
    std::lock_guard<std::mutex> lock(mutex);
    if (reenumeration.returnName == ReturnName::Other) links.NextKernelName();
    if (!links.Make(port.SlavePath())) {
        port.Close();
        return false;
    }
    currentPortPath = port.SlavePath();
    hungUpAtNs = 0;
    return true;
}

void SimulatedModem::Impl::Tell(LineEvent event) {
    if (observer) observer(event, Clock::now());
}

// Sends what has fallen due and takes the next command whenever the previous answer is out. False
// once the line is gone.
bool SimulatedModem::Impl::Advance(SteadyTime now) {
    output.SetCharTime(CharTime());
    for (;;) {
        if (output.HangUpDue(now)) return HangUpWhenDrained(now);
        if (const auto due = output.Due(now); !due.empty()) {
            const WriteResult result = Write(due);
            if (result == WriteResult::Failed) HangUp();
            if (result != WriteResult::Written) return result == WriteResult::Blocked;
            continue;
        }
        if (!output.Empty() || commands.empty() || commands.front().arrival > now) return true;
        const ReceivedCommand received = std::move(commands.front());
        commands.pop_front();
        HandleCommand(received);
    }
}

bool SimulatedModem::Impl::WaitForEvents() {
    short masterEvents = writeBlocked ? POLLOUT : 0;
    if (commands.size() < kMaxPendingCommands) masterEvents |= POLLIN;
    const int closeWatch = PortCloseWatch::Instance().Fd();
    std::array<pollfd, 3> fds{{{wake[0], POLLIN, 0}, {port.MasterFd(), masterEvents, 0}, {closeWatch, POLLIN, 0}}};
    const nfds_t count = closeWatch >= 0 ? 3 : 2;

    const auto deadline = NextDeadline();
    const timespec timeout = deadline ? Remaining(*deadline, Clock::now()) : timespec{};
    if (::ppoll(fds.data(), count, deadline ? &timeout : nullptr, nullptr) < 0) return errno == EINTR;

    if (fds[0].revents != 0) return false;  // only Stop writes to the wake-up pipe
    const short ready = fds[1].revents;
    if (ready & POLLOUT) writeBlocked = false;
    if ((ready & POLLIN) && !ReadInput()) return false;
    if (ready & (POLLERR | POLLNVAL) || (ready & POLLHUP && !(ready & POLLIN))) {
        HangUp();
        return false;
    }
    if (count == 3 && fds[2].revents != 0) PortCloseWatch::Instance().OnReadable();
    return true;
}

bool SimulatedModem::Impl::HangUpWhenDrained(SteadyTime now) {
    if (!hangUpDueSince) hangUpDueSince = now;
    const bool settled = now >= *hangUpDueSince + (leavingForRestart ? kRestartHangUpSettle : kHangUpSettle);
    const bool drained = settled && port.UnreadByApplication() == 0;
    if (!drained && now < *hangUpDueSince + kHangUpDrainLimit) return true;
    HangUp();
    return false;
}

std::optional<SteadyTime> SimulatedModem::Impl::NextDeadline() const {
    if (hangUpDueSince) return Clock::now() + kHangUpDrainPoll;
    if (!output.Empty()) return writeBlocked ? std::nullopt : output.NextDue();
    if (!commands.empty()) return commands.front().arrival;
    return std::nullopt;
}

bool SimulatedModem::Impl::ReadInput() {
    std::array<char, kReadChunkBytes> buffer;
    while (commands.size() < kMaxPendingCommands) {
        const ssize_t n = ::read(port.MasterFd(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        if (n <= 0) {
            HangUp();
            return false;
        }
        if (!firstByteSeen) {
            firstByteSeen = true;
            Tell(LineEvent::FirstByte);
        }
        framed.clear();
        framer.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(n)), Clock::now(), CharTime(), framed);
        for (auto& command : framed) commands.push_back(std::move(command));
    }
    return true;
}

WriteResult SimulatedModem::Impl::Write(std::string_view bytes) {
    for (;;) {
        const ssize_t n = ::write(port.MasterFd(), bytes.data(), bytes.size());
        if (n > 0) {
            output.Consume(static_cast<std::size_t>(n));
            return WriteResult::Written;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            writeBlocked = true;  // the application is not reading; wait until there is room
            return WriteResult::Blocked;
        }
        return WriteResult::Failed;
    }
}

void SimulatedModem::Impl::HandleCommand(const ReceivedCommand& received) {
    const std::string text = received.bytes.substr(0, received.bytes.size() - 1);
    const std::optional<LineSettings> host = ReadHostLine(port.MasterFd());
    const CommandFault fault = FaultFor(text);
    ModemReply reply;
    bool lastBeforeHangUp = false;
    bool misheard = false;
    bool restarted = false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        misheard = host && !Understands(activeLine, *host);
        if (misheard) {
            // At another line setting the device takes in garbage and carries nothing out. What it
            // answers (ERROR) reaches an application at another rate as noise, and nothing at all
            // when only the character format differs (the characters are dropped as broken).
            if (host->baudRate != activeLine.baudRate) reply.dataLines.push_back(Garble(kErrorLine));
        } else if (fault.answerError) {
            reply.resultLine = kErrorLine;
        } else if (!fault.silent && !fault.hangUp && !fault.unplug) {
            const ModemSettings before = device.Settings();
            reply = received.overlong ? device.Refuse() : device.Handle(text);
            if (fault.acknowledgeWithoutStoring) device.MutableSettings() = before;
        }
        // A restart puts the UART setting last written in force; its "+READY" already goes at it.
        if (!misheard && !reply.laterLine.empty()) {
            restarted = true;
            activeLine = UartOf(device.Settings());
            if (host && !Understands(activeLine, *host)) reply.laterLine = Garble(reply.laterLine);
        }
        if (hangUpAfter > 0) lastBeforeHangUp = --hangUpAfter == 0;
        transcript.push_back({received.arrival, received.bytes});
    }
    commandReceived.notify_all();
    Tell(LineEvent::Command);
    if (restarted) Tell(LineEvent::Restart);

    // A device that leaves the bus to restart sends its OK and is gone; its "+READY" reaches nobody.
    const bool leaves = restarted && reenumeration.on;
    if (leaves) reply.laterLine.clear();
    if (echo && !misheard) output.Push({received.bytes, received.arrival, {}, false});
    for (auto& segment : PlanAnswer(reply, fault, received.arrival, Nanoseconds(readyDelayNs.load()))) {
        output.Push(std::move(segment));
    }
    if (leaves && !lastBeforeHangUp && !fault.hangUp && !fault.silent) {
        restartDue = reenumeration.returnName != ReturnName::Never;
        leavingForRestart = true;
        output.Push({{}, received.arrival, {}, true});
    }
    if (fault.unplug && !leaves) {
        restartDue = reenumeration.on && reenumeration.returnName != ReturnName::Never;
        leavingForRestart = restartDue;
        output.Push({{}, received.arrival, {}, true});
    } else if (lastBeforeHangUp) {
        output.Push({{}, received.arrival, {}, true});
    }
}

CommandFault SimulatedModem::Impl::FaultFor(const std::string& command) const {
    FaultPolicy chooser;
    {
        std::lock_guard<std::mutex> lock(mutex);
        const CommandFault* best = nullptr;
        std::size_t bestLength = 0;
        for (const auto& [keyword, fault] : faults) {
            if (command.compare(0, keyword.size(), keyword) == 0 && (!best || keyword.size() > bestLength)) {
                best = &fault;
                bestLength = keyword.size();
            }
        }
        if (best) return *best;
        chooser = policy;
    }
    // Outside the lock: the policy may call back into the modem.
    return chooser ? chooser(command) : CommandFault{};
}

void SimulatedModem::Impl::HangUp() {
    hungUpAtNs = Nanoseconds(Clock::now().time_since_epoch()).count();  // before anybody can see it
    if (!restartDue) lineClosed = true;
    {
        std::lock_guard<std::mutex> lock(mutex);
        links.Remove();
        currentPortPath.clear();
    }
    port.Close();
    const bool away = restartDue;
    ResetServingState();
    restartDue = away;
    Tell(away ? LineEvent::Away : LineEvent::Gone);
}

void SimulatedModem::Impl::ResetServingState() {
    framer.Reset();
    framed.clear();
    commands.clear();
    output = OutputQueue{};
    writeBlocked = false;
    hangUpDueSince.reset();
    restartDue = false;
    leavingForRestart = false;
    firstByteSeen = false;
}

void SimulatedModem::Impl::CloseAll() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        links.Remove();
        currentPortPath.clear();
    }
    port.Close();
    CloseFd(wake[0]);
    CloseFd(wake[1]);
}

SimulatedModem::SimulatedModem(ModemSettings settings) : impl_(std::make_unique<Impl>(std::move(settings))) {}

SimulatedModem::~SimulatedModem() {
    Stop();
}

bool SimulatedModem::Start(std::string* error) {
    Impl& m = *impl_;
    if (m.thread.joinable() && !m.lineClosed) {
        if (error) *error = "the simulated modem is already running on " + m.portPath;
        return false;
    }
    Stop();  // reaps a serving thread that ended by hanging up

    const auto fail = [&](const std::string& message) {
        m.CloseAll();
        if (error) *error = message;
        return false;
    };
    if (const auto ec = m.port.Open()) return fail("cannot create a pseudo-terminal: " + ec.message());
    if (::pipe2(m.wake.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        return fail("cannot create a wake-up pipe: " + std::error_code(errno, std::system_category()).message());
    }
    m.portPath = m.port.SlavePath();
    std::string linkError;
    bool linked = false;
    {
        std::lock_guard<std::mutex> lock(m.mutex);
        linked = m.links.Make(m.portPath, &linkError);
        if (linked) m.currentPortPath = m.portPath;
    }
    if (!linked) return fail(linkError);
    m.ResetServingState();
    m.stopRequested = false;
    m.lineClosed = false;
    m.hungUpAtNs = 0;
    try {
        m.thread = std::thread([&m] { m.Serve(); });
    } catch (const std::system_error& e) {
        return fail(std::string("cannot start the serving thread: ") + e.what());
    }
    return true;
}

void SimulatedModem::Stop() {
    Impl& m = *impl_;
    if (m.thread.joinable()) {
        m.stopRequested = true;
        const char byte = 0;
        [[maybe_unused]] const ssize_t written = ::write(m.wake[1], &byte, 1);
        m.thread.join();
    }
    m.CloseAll();
}

const std::string& SimulatedModem::PortPath() const {
    return impl_->portPath;
}

std::string SimulatedModem::CurrentPortPath() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->currentPortPath;
}

void SimulatedModem::SetLinks(const std::string& stable, const std::string& kernel) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->links.SetNames(stable, kernel);
}

std::string SimulatedModem::KernelLink() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->links.Kernel();
}

void SimulatedModem::SetReenumeration(const Reenumeration& reenumeration) {
    impl_->reenumeration = reenumeration;
}

void SimulatedModem::SetLineObserver(LineObserver observer) {
    impl_->observer = std::move(observer);
}

void SimulatedModem::SetPacing(bool on, std::uint32_t baudRate, std::uint8_t dataBits, bool parity,
                               std::uint8_t stopBits) {
    std::int64_t charTime = 0;
    if (on && baudRate > 0) {
        const std::int64_t bits = 1 + dataBits + (parity ? 1 : 0) + stopBits;  // start bit first
        charTime = (bits * kNanosecondsPerSecond + baudRate - 1) / baudRate;   // never faster than the line
    }
    impl_->charTimeNs = charTime;
}

void SimulatedModem::SetEcho(bool on) {
    impl_->echo = on;
}

void SimulatedModem::SetReadyDelay(std::chrono::milliseconds delay) {
    impl_->readyDelayNs = Nanoseconds(delay).count();
}

void SimulatedModem::SetFault(const std::string& keyword, const CommandFault& fault) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    for (auto& [existing, current] : impl_->faults) {
        if (existing == keyword) {
            current = fault;
            return;
        }
    }
    impl_->faults.emplace_back(keyword, fault);
}

void SimulatedModem::SetFaultPolicy(FaultPolicy policy) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->policy = std::move(policy);
}

void SimulatedModem::ClearFaults() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->faults.clear();
    impl_->policy = nullptr;
}

std::optional<std::chrono::steady_clock::time_point> SimulatedModem::HungUpAt() const {
    const std::int64_t at = impl_->hungUpAtNs;
    if (at == 0) return std::nullopt;
    return std::chrono::steady_clock::time_point(std::chrono::duration_cast<Clock::duration>(Nanoseconds(at)));
}

void SimulatedModem::HangUpAfter(std::size_t commands) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->hangUpAfter = commands;
}

ModemSettings SimulatedModem::Settings() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->device.Settings();
}

void SimulatedModem::UpdateSettings(const std::function<void(ModemSettings&)>& change) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    const LineSettings before = UartOf(impl_->device.Settings());
    change(impl_->device.MutableSettings());
    // A UART setting changed here is in force at once, as if the device had been set up and restarted.
    const LineSettings after = UartOf(impl_->device.Settings());
    if (after != before) impl_->activeLine = after;
}

LineSettings SimulatedModem::ActiveLine() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->activeLine;
}

std::vector<TranscriptEntry> SimulatedModem::Transcript() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->transcript;
}

std::vector<std::string> SimulatedModem::Commands() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    std::vector<std::string> commands;
    commands.reserve(impl_->transcript.size());
    for (const auto& entry : impl_->transcript) commands.push_back(entry.command);
    return commands;
}

void SimulatedModem::ClearTranscript() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->transcript.clear();
}

bool SimulatedModem::WaitForCommands(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    return impl_->commandReceived.wait_for(lock, timeout, [&] { return impl_->transcript.size() >= count; });
}

}  // namespace q470::sim
