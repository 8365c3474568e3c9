#include "keldan_q470r_configurator_app.h"

#include <QApplication>
#include <cstdio>
#include <optional>
#include <string>

#include "app_command_line.h"
#include "app_profile.h"
#include "app_version.h"
#include "com_config_dlg.h"
#include "demo_device.h"
#include "keldan_q470r_configurator_dlg.h"
#include "qt_translations.h"
#include "string_table.h"

#ifdef Q470_HAVE_STATION
#include "station_window.h"
#endif

namespace q470 {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitCannotStart = 1;
constexpr int kExitUsage = 2;

QStringList Arguments(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Without a display Qt would abort with a message about its platform plugin; say what is missing.
bool DisplayAvailable() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

void InitInstance(const QString& programName) {
    QCoreApplication::setOrganizationName(QString::fromLatin1(AppProfile::kOrganization));
    QCoreApplication::setApplicationName(programName);
    QCoreApplication::setApplicationVersion(VersionNumber(CompiledVersion()));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Q470 Manager"));
    QGuiApplication::setDesktopFileName(QStringLiteral("q470-manager"));
    // Before any window exists: Qt's own texts are taken when a widget is made.
    InstallQtTranslations(CurrentUiLanguage());
}

// The station's window alone: the operator's program on a production line.
int RunStation(const QString& profile) {
#ifdef Q470_HAVE_STATION
    StationWindow window(profile);
    window.show();
    QApplication::exec();
    return kExitOk;
#else
    (void)profile;
    std::fputs("q470-manager: this build has no production station\n", stderr);
    return kExitCannotStart;
#endif
}

}  // namespace

int CKeldanQ470RConfiguratorApp::Run(int argc, char* argv[]) {
    const AppCommandLine request = AppCommandLine::Parse(Arguments(argc, argv));
    switch (request.kind) {
        case AppCommandLine::Kind::Help:
        case AppCommandLine::Kind::Version:
            std::fputs(qPrintable(request.text), stdout);
            return kExitOk;
        case AppCommandLine::Kind::Error:
            std::fprintf(stderr, "%s\n", qPrintable(request.text));
            return kExitUsage;
        case AppCommandLine::Kind::Run:
            break;
    }
    if (!DisplayAvailable()) {
        std::fputs("q470-manager needs a graphical desktop, but neither $DISPLAY nor $WAYLAND_DISPLAY is set.\n",
                   stderr);
        return kExitCannotStart;
    }

    QApplication application(argc, argv);
    InitInstance(AppProfile::ApplicationName());
    if (request.station) return RunStation(request.stationProfile);
    // Declared before the window, so the window has let go of its port before the device goes.
    std::optional<DemoDevice> demo;
    if (request.demo) {
        // It answers at the line the connection dialog offers first.
        demo.emplace(request.demoModel, ComConfigDlg::StoredBaudRate(), ComConfigDlg::StoredStopBits());
        std::string error;
        if (!demo->Start(&error)) {
            std::fprintf(stderr, "q470-manager: cannot start the demo device: %s\n", error.c_str());
            return kExitCannotStart;
        }
    }
    CKeldanQ470RConfiguratorDlg window(demo ? demo->PortName() : QString());
    window.show();
    QApplication::exec();
    return kExitOk;
}

}  // namespace q470
