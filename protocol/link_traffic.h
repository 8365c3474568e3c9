#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace q470 {

// What the device link hands its traffic observer, as it happens: a trace, a console or a test sees
// the exchange on the line through it.
enum class LinkTraffic {
    Sent,        // a command's bytes, as they go to the port
    Answer,      // a line taken in while a command waited for its answer (noise and unsolicited lines too)
    Owed,        // a line taken in while the link waited for what the last command still owed
    Stale,       // a complete line found waiting when the next command empties the buffers
    Heard,       // a line taken in while the link listened with no command waiting
    Unfinished,  // bytes that never became a line: an overlong line, a partial line thrown away or
                 // left when a command timed out
};

// The bytes as a person can read them: printable ASCII as it is, a backslash doubled, CR and LF as
// \r and \n, every other byte as \xNN.
std::string EscapeTraffic(std::string_view bytes);

// One line of a trace: milliseconds (three decimals), the port when there is one, the direction ('>'
// sent, '<' received, '<~' bytes that never became a line) and the bytes, escaped; no line end.
std::string TrafficLine(double milliseconds, std::string_view port, LinkTraffic traffic, std::string_view bytes);

// Runs on the thread inside Execute; `bytes` include the line ends around a line. `when` is the time
// the bytes went out, or came in (stamped as the read that brought them completed, on an I/O thread):
// a line taken in later, as a final line paid before the next command, keeps the time it came.
using LinkObserver =
    std::function<void(LinkTraffic traffic, std::string_view bytes, std::chrono::steady_clock::time_point when)>;

}  // namespace q470
