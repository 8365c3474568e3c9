#pragma once

#include <QString>

namespace q470 {

// The program's version, compiled in from the project's version (major, minor, patch shown; the fourth
// number is not).
struct AppVersion {
    int major = 0;
    int minor = 0;
    int patch = 0;
};

AppVersion CompiledVersion();

// "1.5.0", as --version prints it.
QString VersionNumber(const AppVersion& version);
// "Version 1.5.0", as the status bar shows it.
QString VersionPaneText(const AppVersion& version);

}  // namespace q470
