// Soak of q470ctl as a process, ended at random moments by signals and by a closed output.
//   soak_cli [--seconds N] [--seed S] [--trace 1]
#include "cli_soak.h"
#include "soak_main.h"

int main(int argc, char** argv) {
    return q470::soak::SoakMain(argc, argv, "cli", [](const q470::soak::SoakOptions& options) {
        q470::soak::CliSoak soak(options, Q470CTL_EXECUTABLE);
        return soak.Run();
    });
}
