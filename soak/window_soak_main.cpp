// Soak of the main window against misbehaving simulated devices, on the offscreen platform.
//   soak_window [--seconds N] [--seed S] [--trace 1]
#include <QApplication>

#include "soak_main.h"
#include "window_soak.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return q470::soak::SoakMain(argc, argv, "window", [argv](const q470::soak::SoakOptions& options) {
        int qtArgc = 1;  // the soak's own options mean nothing to Qt
        QApplication application(qtArgc, argv);
        q470::soak::WindowSoak soak(options);
        return soak.Run();
    });
}
