#pragma once

#include <string>
#include <vector>

namespace q470::sim {

// What the device sends for one command. Every line is complete: "\r\n" + text + "\r\n".
struct ModemReply {
    std::vector<std::string> dataLines;  // the query's data lines, in order
    std::string resultLine;              // "\r\nOK\r\n" or "\r\nERROR\r\n"; empty in quiet mode
    std::string laterLine;               // "\r\n+READY\r\n" a little after a restart-type command

    // The data lines followed by the result line, as they go out without faults.
    std::string Bytes() const;
};

}  // namespace q470::sim
