#include "console_session.h"

#include <thread>

#include "exit_status.h"
#include "port_open_error.h"
#include "raw_command.h"

namespace q470 {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kListenMs = 50;  // how long the link listens before it looks for a command again
constexpr auto kInputPoll = 20ms;        // and the input, before it looks at the stop and the link

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
        err << "q470ctl: " << PortOpenError(error, plan_.text) << '\n';
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
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (linkEnded_) {
                status = ExitDeviceFailed;
                break;
            }
            if (inputEnded && commands_.empty() && !busy_) break;
        }
        std::string typed;
        const auto event = inputEnded ? ConsoleInput::Event::Nothing : input.Poll(kInputPoll, typed);
        if (inputEnded) std::this_thread::sleep_for(kInputPoll);
        if (event == ConsoleInput::Event::End || (event == ConsoleInput::Event::Line && typed == "exit")) {
            inputEnded = true;
        } else if (event == ConsoleInput::Event::Line && !typed.empty()) {
            if (const std::string problem = CheckCommandText(typed, plan_.text); !problem.empty()) {
                input.Print("q470ctl: " + plan_.text.Text(ToolText::ConsoleNotSent, {problem}) + "\n");
                continue;
            }
            std::lock_guard<std::mutex> lock(mutex_);
            commands_.push_back(typed);
            changed_.notify_all();
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
    if (status == ExitDeviceFailed) err << "q470ctl: " << plan_.text.Text(ToolText::ConsoleDisconnected) << '\n';
    if (status != ExitOk && status != ExitDeviceFailed)
        err << "q470ctl: " << plan_.text.Text(ToolText::Interrupted) << '\n';
    return status;
}

void ConsoleSession::Serve() {
    for (;;) {
        std::string command;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (ending_) return;
            if (!commands_.empty()) {
                command = std::move(commands_.front());
                commands_.pop_front();
                busy_ = true;
            }
        }
        bool open = true;
        if (command.empty()) {
            open = link_.Listen(kListenMs);
        } else {
            link_.Execute(command + "\r", CommandIdForText(command), plan_.request.atTimeoutMs);
            open = link_.IsOpen();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        busy_ = false;
        if (!open || link_.HungUp()) {
            linkEnded_ = !ending_;
            return;
        }
    }
}

void ConsoleSession::Observe(LinkTraffic traffic, std::string_view bytes, std::chrono::steady_clock::time_point when) {
    if (traffic == LinkTraffic::Sent && !echoSent_) return;
    const double ms = std::chrono::duration<double, std::milli>(when - start_).count();
    Emit(TrafficLine(ms, {}, traffic, WithoutLineEnds(bytes)) + "\n");
}

void ConsoleSession::Emit(std::string text) {
    std::lock_guard<std::mutex> lock(mutex_);
    printed_.push_back(std::move(text));
}

void ConsoleSession::Flush(ConsoleInput& input) {
    std::deque<std::string> lines;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lines.swap(printed_);
    }
    std::string text;
    for (const auto& line : lines) text += line;
    if (!text.empty()) input.Print(text);
}

}  // namespace q470
