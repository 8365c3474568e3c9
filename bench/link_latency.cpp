// Round-trip latency of the device link against the simulated modem, next to the same exchange done
// by hand on the raw pseudo-terminal (the floor), and the CPU time a waiting Execute costs.
//   link_latency [round trips]
#include <fcntl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "q470comm.h"
#include "simulated_modem.h"

namespace {

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::duration<double, std::micro>;

constexpr int kDefaultRoundTrips = 1000;
constexpr int kRounds = 10;  // the two ways take turns, so drift of the machine hits both alike
constexpr int kWarmUp = 20;
constexpr std::uint32_t kTimeoutMs = 2000;
constexpr std::uint32_t kBaudRate = 115200;
const std::string kCommand = "AT\r";
const std::string kAnswerEnd = "\r\nOK\r\n";

struct Stats {
    double median;
    double p99;
};

Stats Summarise(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) { return samples[static_cast<std::size_t>(q * double(samples.size() - 1))]; };
    return {at(0.5), at(0.99)};
}

bool RawRoundTrip(int fd) {
    if (::write(fd, kCommand.data(), kCommand.size()) != ssize_t(kCommand.size())) return false;
    std::string answer;
    char chunk[256];
    while (answer.size() < kAnswerEnd.size() ||
           answer.compare(answer.size() - kAnswerEnd.size(), kAnswerEnd.size(), kAnswerEnd) != 0) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n <= 0) return false;
        answer.append(chunk, std::size_t(n));
    }
    return true;
}

bool MeasureRaw(const std::string& port, int count, std::vector<double>& samples) {
    const int fd = ::open(port.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return false;
    termios raw{};
    ::tcgetattr(fd, &raw);
    ::cfmakeraw(&raw);
    ::cfsetspeed(&raw, B115200);  // the device's rate: it answers nothing at another
    ::tcsetattr(fd, TCSANOW, &raw);
    bool ok = true;
    for (int i = 0; ok && i < count + kWarmUp; ++i) {
        const auto start = Clock::now();
        ok = RawRoundTrip(fd);
        if (i >= kWarmUp) samples.push_back(Micros(Clock::now() - start).count());
    }
    ::close(fd);
    return ok;
}

bool MeasureLink(const std::string& port, int count, std::vector<double>& samples) {
    q470::Q470Comm link;
    if (link.Open(port, kBaudRate, 8, 0, 0)) return false;
    bool ok = true;
    for (int i = 0; ok && i < count + kWarmUp; ++i) {
        const auto start = Clock::now();
        ok = link.Execute(kCommand, q470::CmdAt, kTimeoutMs)->kind == q470::RespOk;
        if (i >= kWarmUp) samples.push_back(Micros(Clock::now() - start).count());
    }
    link.Close();
    return ok;
}

double CpuMs(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// One Execute waiting its whole time-out for an answer that never comes.
bool MeasureIdleWait(q470::sim::SimulatedModem& modem, double& processCpuMs, double& wallMs) {
    q470::sim::CommandFault silent;
    silent.silent = true;
    modem.SetFault("AT+VER?", silent);
    q470::Q470Comm link;
    if (link.Open(modem.PortPath(), 115200, 8, 0, 0)) return false;
    const double cpuBefore = CpuMs(RUSAGE_SELF);
    const auto start = Clock::now();
    const bool timedOut = link.Execute("AT+VER?\r", q470::CmdVersionQuery, kTimeoutMs)->kind == q470::ResultTimeout;
    wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    processCpuMs = CpuMs(RUSAGE_SELF) - cpuBefore;
    link.Close();
    modem.ClearFaults();
    return timedOut;
}

}  // namespace

int main(int argc, char** argv) {
    const int roundTrips = argc > 1 ? std::max(kRounds, std::atoi(argv[1])) : kDefaultRoundTrips;
    q470::sim::ModemSettings settings;
    settings.baudRate = kBaudRate;
    q470::sim::SimulatedModem modem{settings};
    std::string error;
    if (!modem.Start(&error)) {
        std::fprintf(stderr, "link_latency: simulated modem: %s\n", error.c_str());
        return 1;
    }
    std::vector<double> raw;
    std::vector<double> link;
    for (int round = 0; round < kRounds; ++round) {
        if (!MeasureRaw(modem.PortPath(), roundTrips / kRounds, raw) ||
            !MeasureLink(modem.PortPath(), roundTrips / kRounds, link)) {
            std::fprintf(stderr, "link_latency: a round trip failed\n");
            return 1;
        }
    }
    const Stats floor = Summarise(raw);
    const Stats measured = Summarise(link);
    std::printf("round trips of \"AT\\r\" over the pseudo-terminal: %zu each\n", raw.size());
    std::printf("%-28s median %8.1f us   p99 %8.1f us\n", "raw descriptors (floor)", floor.median, floor.p99);
    std::printf("%-28s median %8.1f us   p99 %8.1f us\n", "Q470Comm::Execute", measured.median, measured.p99);
    std::printf("%-28s median %8.1f us   p99 %8.1f us\n", "overhead", measured.median - floor.median,
                measured.p99 - floor.p99);

    double cpuMs = 0;
    double wallMs = 0;
    if (!MeasureIdleWait(modem, cpuMs, wallMs)) {
        std::fprintf(stderr, "link_latency: the unanswered command did not time out\n");
        return 1;
    }
    std::printf("unanswered Execute: waited %.0f ms, process CPU %.2f ms (simulated modem included)\n", wallMs, cpuMs);
    return 0;
}
