#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

#include "cli_text.h"
#include "console_input.h"
#include "link_traffic.h"
#include "port_flow.h"
#include "q470comm.h"
#include "stop_request.h"

namespace q470 {

// q470ctl console: an interactive AT session on one port. Each line read is sent with a CR; every
// line the device sends is printed with its time as it arrives, unsolicited ones included. The
// commands go through the device link, one at a time, each waited for until its answer (or the
// time-out); between them the link listens. The next line is read only once the last command has its
// answer. Ends on end of input or "exit" (status 0, once the last command's final line has come),
// a stop (interrupted status) or a device that hangs up (status 1).
class ConsoleSession {
public:
    ConsoleSession(const CommandPlan& plan, std::string port, const StopRequest* stop);
    ~ConsoleSession();
    ConsoleSession(const ConsoleSession&) = delete;
    ConsoleSession& operator=(const ConsoleSession&) = delete;

    int Run(ConsoleInput& input, std::ostream& err);

private:
    void Serve();  // the link's thread
    void Observe(LinkTraffic traffic, std::string_view bytes, std::chrono::steady_clock::time_point when);
    void Emit(std::string text);
    void Flush(ConsoleInput& input);
    // Hands a line read to the link's thread, or says why it is not sent.
    void Take(ConsoleInput::Event event, const std::string& typed, ConsoleInput& input);

    const CommandPlan& plan_;
    const std::string port_;
    const StopRequest* stop_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    bool echoSent_ = false;  // the input does not show what was typed, so the sent lines are printed
    Q470Comm link_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> commands_;  // read, not yet sent
    std::deque<std::string> printed_;   // to print, from the link's thread
    std::size_t printedBytes_ = 0;      // in printed_
    std::size_t unshown_ = 0;           // lines dropped while the output did not keep up
    bool busy_ = false;                 // a command waits for its answer
    bool settle_ = false;               // the input has ended: take in what the last command owes
    bool settled_ = false;
    bool ending_ = false;     // no more commands: the link's thread ends
    bool linkEnded_ = false;  // the link closed or the device hung up
};

}  // namespace q470
