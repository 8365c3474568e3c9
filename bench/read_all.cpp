// Time to identify a Q470R and read all its settings through the job worker, against the simulated
// modem pacing both directions at the line rate, next to the time the bytes alone need on the line.
// The same runs also go with the traffic traced to a file (q470ctl --trace-file) and into the log the
// window's traffic view shows, taking turns with the plain runs; each is given against the plain one.
//   read_all [runs per rate]
#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "job_code.h"
#include "job_host.h"
#include "job_worker.h"
#include "line_floor.h"
#include "simulated_modem.h"
#include "trace_writer.h"
#include "traffic_log.h"

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

constexpr int kDefaultRuns = 5;
constexpr auto kResultGuard = std::chrono::seconds(30);
// The read's last query still owes its OK when the job ends; the next run's first command would wait
// for it inside the timed part. Well over the time six characters take at the slowest rate measured.
constexpr auto kLineSettle = std::chrono::milliseconds(50);
constexpr std::uint32_t kRates[] = {9600, 115200};
constexpr std::size_t kWays = 3;          // plain, traced to a file, into the view's log
constexpr std::size_t kViewLines = 2000;  // as many lines as the window's traffic view keeps

class BenchHost final : public q470::JobHost {
public:
    q470::Q470Comm link;
    q470::JobInput input;  // what every job is queued with
    q470::DeviceState state;

    q470::Q470Comm& DeviceLink() override { return link; }
    q470::DeviceState& State() override { return state; }

    void PostJobResult(std::int32_t /*job*/, std::int32_t result) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            results_.push_back(result);
        }
        changed_.notify_all();
    }

    // The next result, or -1 when none came in time.
    std::int32_t NextResult() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!changed_.wait_for(lock, kResultGuard, [&] { return taken_ < results_.size(); })) return -1;
        return results_[taken_++];
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::int32_t> results_;
    std::size_t taken_ = 0;
};

struct Run {
    double elapsedMs = 0;
    q470::bench::LineBytes bytes;
};

bool MeasureOnce(q470::sim::SimulatedModem& modem, q470::JobWorker& worker, BenchHost& host, Run& run) {
    std::this_thread::sleep_for(kLineSettle);
    modem.ClearTranscript();
    const auto start = Clock::now();
    worker.PushJob(q470::JobIdentify, host.input);
    if (host.NextResult() != q470::JobSucceeded) return false;
    worker.PushJob(q470::JobReadQ470R, host.input);
    if (host.NextResult() != q470::JobSucceeded) return false;
    run.elapsedMs = Millis(Clock::now() - start).count();
    run.bytes = q470::bench::CountLineBytes(modem.Settings(), modem.Commands());
    return true;
}

bool MeasureRate(std::uint32_t baudRate, int runs) {
    q470::sim::ModemSettings settings;
    settings.baudRate = baudRate;
    q470::sim::SimulatedModem modem{settings};
    std::string error;
    if (!modem.Start(&error)) {
        std::fprintf(stderr, "read_all: simulated modem: %s\n", error.c_str());
        return false;
    }
    modem.SetPacing(true, baudRate);
    BenchHost host;
    host.input.line = q470::ConnectionLine{baudRate, 8, 0, 0};
    if (const auto ec = host.link.Open(modem.PortPath(), baudRate, 8, 0, 0)) {
        std::fprintf(stderr, "read_all: %s: %s\n", modem.PortPath().c_str(), ec.message().c_str());
        return false;
    }
    q470::JobWorker worker(host);
    worker.StartWorker();

    const std::string traceFile = (std::filesystem::temp_directory_path() / "q470-read-all-trace.txt").string();
    q470::TraceWriter trace(traceFile, false);
    q470::TrafficLog log(kViewLines);
    const std::array<q470::LinkObserver, kWays> observers = {
        nullptr,
        [&trace](q470::LinkTraffic traffic, std::string_view bytes, std::chrono::steady_clock::time_point when) {
            trace.Write("", traffic, bytes, when);
        },
        [&log](q470::LinkTraffic traffic, std::string_view bytes, std::chrono::steady_clock::time_point when) {
            log.Add(traffic, bytes, when);
        },
    };
    std::array<std::vector<double>, kWays> elapsed;
    std::vector<double> floor;
    Run last;
    bool ok = trace.Opened();
    for (int i = 0; ok && i < runs; ++i) {
        for (std::size_t way = 0; ok && way < kWays; ++way) {
            host.link.SetObserver(observers[way]);  // the worker is idle between runs
            Run run;
            ok = MeasureOnce(modem, worker, host, run);
            elapsed[way].push_back(run.elapsedMs);
            if (way == 0) floor.push_back(q470::bench::LineMs(run.bytes.sent + run.bytes.received, baudRate));
            last = run;
        }
    }
    std::filesystem::remove(traceFile);
    host.link.Close();
    worker.StopWorker();
    if (!ok) {
        std::fprintf(stderr, "read_all: a job failed at %u baud\n", baudRate);
        return false;
    }
    const double elapsedMs = q470::bench::Median(elapsed[0]);
    const double floorMs = q470::bench::Median(floor);
    std::printf("%6u baud: %zu bytes sent, %zu received; elapsed %8.1f ms, line floor %8.1f ms, ratio %.3f\n", baudRate,
                last.bytes.sent, last.bytes.received, elapsedMs, floorMs, elapsedMs / floorMs);
    const double traced = q470::bench::Median(elapsed[1]);
    const double viewed = q470::bench::Median(elapsed[2]);
    std::printf("%12s traced to a file %8.1f ms (%.3f x), into the view's log %8.1f ms (%.3f x)\n", "", traced,
                traced / elapsedMs, viewed, viewed / elapsedMs);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
    std::printf("identify + read all of a Q470R, paced at the line rate (8N1), median of %d runs\n", runs);
    for (const std::uint32_t rate : kRates) {
        if (!MeasureRate(rate, runs)) return 1;
    }
    return 0;
}
