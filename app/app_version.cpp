#include "app_version.h"

#include "string_table.h"

namespace q470 {

AppVersion CompiledVersion() {
    return {Q470_VERSION_MAJOR, Q470_VERSION_MINOR, Q470_VERSION_PATCH};
}

QString VersionNumber(const AppVersion& version) {
    return QStringLiteral("%1.%2.%3").arg(version.major).arg(version.minor).arg(version.patch);
}

QString VersionPaneText(const AppVersion& version) {
    return FormatText(UiText::VersionFormat, version.major, version.minor, version.patch);
}

}  // namespace q470
