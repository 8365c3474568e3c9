// q470ctl: configures the modems from the command line with the same jobs as the window.

#include <iostream>
#include <string>
#include <vector>

#include "process_hooks.h"
#include "q470ctl.h"
#include "stop_request.h"

namespace {

q470::StopRequest g_stopRequest;

}  // namespace

int main(int argc, char** argv) {
    q470::CatchStopRequests(g_stopRequest);
    q470::PrepareConsole();
    const std::vector<std::string> args = q470::ProgramArguments(argc, argv);
    q470::CliEnvironment environment;
    environment.stop = &g_stopRequest;
    environment.progress = q470::ErrorStreamIsTerminal();
    environment.outputTerminal = q470::OutputStreamIsTerminal();
    const int status = q470::RunCli(args, std::cout, std::cerr, environment);
    q470::ReleaseStopRequests();
    return status;
}
