// Soak of q470ctl station as a process on fixtures of misbehaving simulated units.
//   soak_station [--seconds N] [--seed S] [--trace 1]
#include "soak_main.h"
#include "station_soak.h"

int main(int argc, char** argv) {
    return q470::soak::SoakMain(argc, argv, "station", [](const q470::soak::SoakOptions& options) {
        q470::soak::StationSoak soak(options, Q470CTL_EXECUTABLE);
        return soak.Run();
    });
}
