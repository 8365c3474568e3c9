// q470ctl: configures the modems from the command line with the same jobs as the window.

#include <signal.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "q470ctl.h"
#include "stop_request.h"

namespace {

q470::StopRequest g_stopRequest;

extern "C" void OnStopSignal(int signal) {
    g_stopRequest.Request(signal);
}

// The first SIGINT or SIGTERM asks the run to close its ports and end; a second one ends the process
// the hard way.
void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    CatchStopSignals();
    const std::vector<std::string> args(argv + 1, argv + argc);
    q470::CliEnvironment environment;
    environment.stop = &g_stopRequest;
    environment.progress = ::isatty(STDERR_FILENO) == 1;
    return q470::RunCli(args, std::cout, std::cerr, environment);
}
