#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <pthread.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <thread>

#include "process_hooks.h"

namespace q470 {
namespace {

constexpr int kSignalBase = 128;
// After the second interrupt the run closes its ports and writes its report; should that not end it
// (an output nobody reads), the process ends anyway this many seconds later.
constexpr unsigned kUrgentGraceSeconds = 1;
constexpr std::array<int, 3> kStopSignals{SIGINT, SIGTERM, SIGHUP};
constexpr std::array<int, 2> kOutputs{STDOUT_FILENO, STDERR_FILENO};

StopRequest* g_request = nullptr;

extern "C" void OnStopSignal(int signal) {
    const int requests = g_request->Requests();
    if (requests >= 2) _exit(kSignalBase + g_request->Signal());
    g_request->Request(signal);
    if (requests == 1) alarm(kUrgentGraceSeconds);
}

extern "C" void OnGraceOver(int) {
    _exit(kSignalBase + g_request->Signal());
}

void Catch(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (const int stop : kStopSignals) sigaddset(&action.sa_mask, stop);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

// A standard stream the tool was started without would otherwise get the number of the next thing it
// opens: a serial port would then receive the report. /dev/null takes the place.
void FillClosedStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

// The watch of the outputs ends when this signal reaches its thread, which takes it only inside its wait.
constexpr int kWakeSignal = SIGUSR1;

std::thread g_watch;
std::atomic<bool> g_watchEnds{false};

extern "C" void OnWake(int) {}

// An output whose reader has gone (a pipe into `head`, a closed terminal) is a stop like SIGPIPE's
// would be, without the process dying mid-write: poll reports it without being asked.
void WatchOutputs(StopRequest& request) {
    sigset_t wake;
    sigemptyset(&wake);
    sigaddset(&wake, kWakeSignal);
    sigset_t before;
    // Blocked in the watching thread (which inherits it) but for its wait, so the wake cannot slip in
    // between a look at g_watchEnds and the wait.
    pthread_sigmask(SIG_BLOCK, &wake, &before);
    g_watch = std::thread([&request, before] {
        std::array<pollfd, kOutputs.size()> outputs{};
        for (std::size_t i = 0; i < kOutputs.size(); ++i) outputs[i] = {kOutputs[i], 0, 0};
        while (!g_watchEnds.load()) {
            const int ready = ::ppoll(outputs.data(), outputs.size(), nullptr, &before);
            if (ready < 0 && errno == EINTR) continue;
            if (ready < 0) return;
            for (const auto& output : outputs) {
                // A terminal that went away is the hang-up its SIGHUP also tells.
                if ((output.revents & (POLLERR | POLLHUP)) != 0)
                    return request.Request(::isatty(output.fd) == 1 ? SIGHUP : SIGPIPE);
            }
            // Anything else (POLLNVAL: not a stream that can close) is no news, and will not change.
            for (auto& output : outputs) {
                if (output.revents != 0) output.fd = -1;
            }
        }
    });
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

}  // namespace

void CatchStopRequests(StopRequest& request) {
    g_request = &request;
    FillClosedStandardStreams();
    // A hang-up (a closed terminal or SSH session) is a stop like any other; a closed pipe or a file
    // grown past its limit is an error the write itself reports, not a reason to die with the device
    // half written.
    for (const int signal : kStopSignals) Catch(signal, OnStopSignal);
    Catch(SIGALRM, OnGraceOver);
    Catch(kWakeSignal, OnWake);
    ::signal(SIGPIPE, SIG_IGN);
    ::signal(SIGXFSZ, SIG_IGN);
    WatchOutputs(request);
}

void ReleaseStopRequests() {
    if (!g_watch.joinable()) return;
    g_watchEnds.store(true);
    pthread_kill(g_watch.native_handle(), kWakeSignal);
    g_watch.join();
}

void PrepareConsole() {
    // A terminal here takes the bytes as they are; UTF-8 is the usual locale.
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    // File names are bytes to the kernel: passed on unchanged.
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool ErrorStreamIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

bool OutputStreamIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

}  // namespace q470
