#pragma once

namespace q470 {

// Exit statuses of q470ctl.
enum ExitStatus : int {
    ExitOk = 0,
    ExitDeviceFailed = 1,  // no answer, identification failed, a job failed or was dropped
    ExitUsage = 2,         // bad command line or a value outside its domain; nothing was written
    ExitPortFailed = 3,    // the port could not be opened
    ExitFileFailed = 4,    // a configuration file could not be read, checked or written
};

// 128 + the signal number, as a shell reports a process ended by that signal (130 SIGINT, 143 SIGTERM).
int InterruptedStatus(int signal);

// With several ports the worst status is the tool's: interrupted, then 3 (port), 1 (device), 4 (file),
// 2 (usage), 0. A port that cannot be opened hides everything else about that device; a device failure
// matters more than a file or argument the operator can fix without touching the line.
int WorseExitStatus(int a, int b);

}  // namespace q470
