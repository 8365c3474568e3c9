#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli_request.h"
#include "cli_text.h"
#include "json_report.h"
#include "port_outcome.h"

namespace q470 {

// Prints what a run did once every port has finished, in the order the ports were given: results on the
// output stream (text, or the one JSON document with --json), what went wrong on the error stream.
class ReportWriter {
public:
    ReportWriter(const CliRequest& request, const CliText& text) : request_(request), text_(text) {}

    void Write(const RunSummary& run, const std::vector<PortOutcome>& outcomes, std::ostream& out,
               std::ostream& err) const;
    // A run that ended before any port was opened: its message (about `subject`, when there is one) on the
    // error stream, and with --json the document with no ports.
    void WriteRunFailure(const RunSummary& run, const std::string& subject, std::ostream& out, std::ostream& err) const;

private:
    void WriteText(const PortOutcome& outcome, std::ostream& out) const;
    void WriteDevice(const PortOutcome& outcome, std::ostream& out) const;
    void WriteGeneral(const PortOutcome& outcome, std::ostream& out) const;
    void WriteGpio(const PortOutcome& outcome, std::ostream& out) const;
    // The port's result message, where the command has no text of its own.
    bool MessageGoesToErrors() const;

    const CliRequest& request_;
    const CliText& text_;
};

}  // namespace q470
