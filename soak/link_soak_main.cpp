// Soak of device sessions (the device link and the job worker under them) against misbehaving simulated
// devices.
//   soak_link [--seconds N] [--seed S] [--trace 1]
#include "link_soak.h"
#include "soak_main.h"

int main(int argc, char** argv) {
    return q470::soak::SoakMain(argc, argv, "link", [](const q470::soak::SoakOptions& options) {
        q470::soak::LinkSoak soak(options);
        return soak.Run();
    });
}
