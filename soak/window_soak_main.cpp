// Soak of the main window against misbehaving simulated devices, on the offscreen platform.
//   soak_window [--seconds N] [--seed S] [--trace 1]
#include <QApplication>
#include <cstdio>
#include <string>

#include "window_soak.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    q470::soak::SoakOptions options;
    std::string error;
    if (!options.Parse(argc, argv, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    std::printf("soak window: seed %llu, %lld s (replay with --seed %llu)\n",
                static_cast<unsigned long long>(options.seed), static_cast<long long>(options.length.count()),
                static_cast<unsigned long long>(options.seed));
    std::fflush(stdout);
    q470::soak::WindowSoak soak(options);
    return soak.Run();
}
