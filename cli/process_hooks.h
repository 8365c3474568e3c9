#pragma once

#include <string>
#include <vector>

#include "stop_request.h"

// What the q470ctl executable needs from its operating system, one source file per platform
// (process_hooks_posix.cpp, process_hooks_windows.cpp).
namespace q470 {

// The first interrupt (Ctrl-C; SIGINT, SIGTERM or SIGHUP on POSIX, or an output whose reader went away)
// asks the run to stop and end with 128 + the signal number, once a write under way has put the
// device's quiet mode back; a second one closes the ports at once; a third ends the process the hard
// way. On POSIX a closed pipe and a file size limit become errors of the write that meets them, and a
// standard stream the tool was started without is taken by /dev/null. `request` must outlive the process.
void CatchStopRequests(StopRequest& request);
// Ends what CatchStopRequests started (the watch of the outputs), so that the process ends with no
// thread of its own still running.
void ReleaseStopRequests();

// Makes the console show the tool's UTF-8 text as it is (Korean messages included).
void PrepareConsole();

// The arguments after the program name as UTF-8, whatever the system's code page.
std::vector<std::string> ProgramArguments(int argc, char** argv);

bool ErrorStreamIsTerminal();
bool OutputStreamIsTerminal();

}  // namespace q470
