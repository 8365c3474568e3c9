#include "console_session.h"

#include <thread>

#include "exit_status.h"
#include "port_open_error.h"
#include "raw_command.h"
#include "terminal_text.h"
#include "trace_problem.h"

namespace q470 {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kListenMs = 50;  // how long the link listens before it looks for a command again
constexpr auto kInputPoll = 20ms;        // and the input, before it looks at the stop and the link
// What the device sent and the output has not taken yet; beyond it lines are dropped and counted, so
// that an output nobody reads cannot make the tool grow.
constexpr std::size_t kPrintBacklog = 1 << 20;
constexpr const char* kPrefix = "q470ctl: ";

// A console shows a line's text; the line ends around it would only clutter it.
std::string_view WithoutLineEnds(std::string_view bytes) {
    const auto first = bytes.find_first_not_of("\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = bytes.find_last_not_of("\r\n");
    return bytes.substr(first, last - first + 1);
}

}  // namespace

ConsoleSession::ConsoleSession(const CommandPlan& plan, std::string port, const StopRequest* stop)
    : plan_(plan), port_(std::move(port)), stop_(stop) {}

ConsoleSession::~ConsoleSession() {
    link_.Close();
}

int ConsoleSession::Run(ConsoleInput& input, std::ostream& err) {
    echoSent_ = !input.EchoesInput();
    link_.SetObserver([this](LinkTraffic traffic, std::string_view bytes, std::chrono::steady_clock::time_point when) {
        Observe(traffic, bytes, when);
    });
    // A person reads every line with its time; a query of a device in quiet mode leaves its final line
    // owed for good, and must not keep the next typed command from going.
    link_.GiveUpLateFinalLines();
    const LineOptions& line = plan_.request.line;
    if (const auto error = link_.Open(port_, line.baudRate, line.dataBits, line.parity, line.stopBits)) {
        err << kPrefix << PrintableText(port_) << ": " << PortOpenError(error, plan_.text) << '\n';
        return ExitPortFailed;
    }
    std::thread server([this] { Serve(); });
    bool inputEnded = false;
    int status = ExitOk;
    for (;;) {
        Flush(input);
        if (stop_ && stop_->Signal() != 0) {
            status = InterruptedStatus(stop_->Signal());
            break;
        }
        bool waiting = false;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (linkEnded_) {
                status = ExitDeviceFailed;
                break;
            }
            // The input is read only once the last command has its answer: it is never taken in
            // faster than the device answers, whatever it holds.
            waiting = busy_ || !commands_.empty() || (inputEnded && !settled_);
            if (inputEnded && !waiting) break;
            if (inputEnded && !settle_ && !busy_ && commands_.empty()) {
                settle_ = true;
                changed_.notify_all();
            }
            if (waiting) changed_.wait_for(lock, kInputPoll);
        }
        if (waiting) continue;
        std::string typed;
        const auto event = input.Poll(kInputPoll, typed);
        if (event == ConsoleInput::Event::End || (event == ConsoleInput::Event::Line && typed == "exit")) {
            inputEnded = true;
        } else {
            Take(event, typed, input);
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    link_.Close();  // a command or a listen under way ends at once
    server.join();
    Flush(input);
    if (status == ExitDeviceFailed) err << kPrefix << plan_.text.Text(ToolText::ConsoleDisconnected) << '\n';
    if (status != ExitOk && status != ExitDeviceFailed)
        err << kPrefix << plan_.text.Text(ToolText::Interrupted) << '\n';
    if (const std::string problem = TraceProblem(plan_.trace, plan_.request, plan_.text); !problem.empty())
        err << kPrefix << plan_.text.Catalog().Text(UiText::WarningPrefix) << problem << '\n';
    return status;
}

void ConsoleSession::Take(ConsoleInput::Event event, const std::string& typed, ConsoleInput& input) {
    std::string problem;
    if (event == ConsoleInput::Event::TooLong) {
        problem = plan_.text.Text(ToolText::CommandTooLong, {std::to_string(kMaxCommandLength)});
    } else if (event != ConsoleInput::Event::Line || typed.empty()) {
        return;
    } else {
        problem = CheckCommandText(typed, plan_.text);
    }
    if (!problem.empty()) {
        input.PrintNote(kPrefix + plan_.text.Text(ToolText::ConsoleNotSent, {problem}) + "\n");
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    commands_.push_back(typed);
    changed_.notify_all();
}

void ConsoleSession::Serve() {
    for (;;) {
        std::string command;
        bool settle = false;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (ending_) return;
            if (!commands_.empty()) {
                command = std::move(commands_.front());
                commands_.pop_front();
                busy_ = true;
            } else if (settle_ && !settled_) {
                settle = true;
                busy_ = true;
            }
        }
        bool open = true;
        if (settle) {
            // Nothing is sent: what the last command still owes (a query's final OK) is waited for, up
            // to that command's time-out, and shown.
            link_.Execute(nullptr, 0, CmdAt, 0);
            open = link_.IsOpen();
        } else if (command.empty()) {
            open = link_.Listen(kListenMs);
        } else {
            link_.Execute(command + "\r", CommandIdForText(command), plan_.request.atTimeoutMs);
            open = link_.IsOpen();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        busy_ = false;
        if (settle) settled_ = true;
        changed_.notify_all();
        if (!open || link_.HungUp()) {
            linkEnded_ = !ending_;
            return;
        }
    }
}

void ConsoleSession::Observe(LinkTraffic traffic, std::string_view bytes, std::chrono::steady_clock::time_point when) {
    if (plan_.trace) plan_.trace->Write(port_, traffic, bytes, when);
    if (traffic == LinkTraffic::Sent && !echoSent_) return;
    const double ms = std::chrono::duration<double, std::milli>(when - start_).count();
    Emit(TrafficLine(ms, {}, traffic, WithoutLineEnds(bytes)) + "\n");
}

void ConsoleSession::Emit(std::string text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (printedBytes_ + text.size() > kPrintBacklog) {
        ++unshown_;
        return;
    }
    printedBytes_ += text.size();
    printed_.push_back(std::move(text));
}

void ConsoleSession::Flush(ConsoleInput& input) {
    std::deque<std::string> lines;
    std::size_t unshown = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lines.swap(printed_);
        printedBytes_ = 0;
        std::swap(unshown, unshown_);
    }
    std::string text;
    for (const auto& line : lines) text += line;
    if (!text.empty()) input.Print(text);
    if (unshown != 0)
        input.PrintNote(kPrefix + plan_.text.Count(ToolText::ConsoleLinesNotShown, unshown, {std::to_string(unshown)}) +
                        "\n");
}

}  // namespace q470
