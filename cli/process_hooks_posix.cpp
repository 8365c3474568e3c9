#include <signal.h>
#include <unistd.h>

#include "process_hooks.h"

namespace q470 {
namespace {

StopRequest* g_request = nullptr;

extern "C" void OnStopSignal(int signal) {
    g_request->Request(signal);
}

}  // namespace

void CatchStopRequests(StopRequest& request) {
    g_request = &request;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the second signal finds the default action, which ends the process.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
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

}  // namespace q470
