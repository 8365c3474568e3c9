#pragma once

#include <functional>
#include <string_view>

namespace q470 {

// What the device link hands its traffic observer, as it happens: a trace, a console or a test sees
// the exchange on the line through it.
enum class LinkTraffic {
    Sent,        // a command's bytes, as they go to the port
    Answer,      // a line taken in while a command waited for its answer (noise and unsolicited lines too)
    Owed,        // a line taken in while the link waited for what the last command still owed
    Stale,       // a complete line found waiting when the next command empties the buffers
    Unfinished,  // bytes that never became a line: an overlong line, a partial line thrown away
};

// Runs on the thread inside Execute; `bytes` include the line ends around a line.
using LinkObserver = std::function<void(LinkTraffic traffic, std::string_view bytes)>;

}  // namespace q470
