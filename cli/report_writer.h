#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli_request.h"
#include "cli_text.h"
#include "port_outcome.h"

namespace q470 {

// Prints what the ports did once all of them have finished, in the order the ports were given:
// results on the output stream (text, or JSON with --json), what went wrong on the error stream.
class ReportWriter {
public:
    ReportWriter(const CliRequest& request, const CliText& text) : request_(request), text_(text) {}

    void Write(const std::vector<PortOutcome>& outcomes, std::ostream& out, std::ostream& err) const;

    // `ports`: one name per line, or a JSON array.
    static void WritePorts(const std::vector<std::string>& ports, bool json, std::ostream& out);

    // A configuration file refused before any port was opened, as one JSON object (--json).
    void WriteFileRefusal(const std::string& message, const std::vector<std::string>& details,
                          const SettingProblems& problems, std::ostream& out) const;

private:
    void WriteJson(const std::vector<PortOutcome>& outcomes, std::ostream& out) const;
    void WriteText(const PortOutcome& outcome, std::ostream& out) const;
    void WriteDevice(const PortOutcome& outcome, std::ostream& out) const;
    void WriteGeneral(const PortOutcome& outcome, std::ostream& out) const;
    void WriteGpio(const PortOutcome& outcome, std::ostream& out) const;
    std::string StatusText(const PortOutcome& outcome) const;
    // A failure's lines after its message: the cause, refused values, and what an apply wrote.
    std::vector<std::string> FailureDetails(const PortOutcome& outcome) const;

    const CliRequest& request_;
    const CliText& text_;
};

}  // namespace q470
