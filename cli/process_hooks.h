#pragma once

#include <string>
#include <vector>

#include "stop_request.h"

// What the q470ctl executable needs from its operating system, one source file per platform
// (process_hooks_posix.cpp, process_hooks_windows.cpp).
namespace q470 {

// The first interrupt (Ctrl-C; SIGINT or SIGTERM on POSIX) asks the run to close its ports and end with
// 128 + the signal number; a second one ends the process the hard way. `request` must outlive the process.
void CatchStopRequests(StopRequest& request);

// Makes the console show the tool's UTF-8 text as it is (Korean messages included).
void PrepareConsole();

// The arguments after the program name as UTF-8, whatever the system's code page.
std::vector<std::string> ProgramArguments(int argc, char** argv);

bool ErrorStreamIsTerminal();

}  // namespace q470
