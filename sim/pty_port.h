#pragma once

#include <cstddef>
#include <string>
#include <system_error>

namespace q470::sim {

// The device end of a pseudo-terminal. The application opens SlavePath() as its serial port; the
// simulator reads and writes the master. One slave descriptor stays open inside the port for its
// whole life, so the master never reports a hang-up (and poll never spins) while the application has
// the port closed, and the line settings survive between the application's openings. The port is
// watched for programs that close it (PortCloseWatch), so none leaves its exclusive mode behind.
class PtyPort {
public:
    PtyPort() = default;
    ~PtyPort() { Close(); }
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    std::error_code Open();
    // Closes both ends: an application that still has the slave open sees end of file.
    void Close();
    bool IsOpen() const { return master_ >= 0; }

    int MasterFd() const { return master_; }  // non-blocking
    // Bytes sent to the application that it has not read yet.
    std::size_t UnreadByApplication() const;
    const std::string& SlavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int keptSlave_ = -1;
    int watch_ = -1;
    std::string slavePath_;
};

}  // namespace q470::sim
