// q470-manager: the Q470 Manager desktop program.

#include "keldan_q470r_configurator_app.h"

int main(int argc, char* argv[]) {
    q470::CKeldanQ470RConfiguratorApp app;
    return app.Run(argc, argv);
}
