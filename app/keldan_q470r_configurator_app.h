#pragma once

namespace q470 {

// The program: reads the command line, sets up the application, runs the main window until the user
// closes it, and tears everything down so that no thread outlives the window.
class CKeldanQ470RConfiguratorApp {
public:
    // The process's exit status: 0 after the window was closed or after --help / --version, 1 when the
    // program cannot start, 2 for a command line it does not understand.
    int Run(int argc, char* argv[]);
};

}  // namespace q470
