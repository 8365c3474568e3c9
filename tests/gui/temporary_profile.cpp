#include "temporary_profile.h"

#include <QSettings>
#include <QStandardPaths>

#include "app_profile.h"

namespace q470 {
namespace {

QString Key(const QString& name) {
    return QStringLiteral("Default Values/") + name;
}

QSettings OpenProfile() {
    return QSettings(QString::fromLatin1(AppProfile::kOrganization), AppProfile::ApplicationName());
}

}  // namespace

TemporaryProfile::TemporaryProfile() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder_.path());
}

TemporaryProfile::~TemporaryProfile() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

void TemporaryProfile::Write(const QString& name, const QVariant& value) const {
    OpenProfile().setValue(Key(name), value);
}

QVariant TemporaryProfile::Read(const QString& name) const {
    return OpenProfile().value(Key(name));
}

bool TemporaryProfile::Contains(const QString& name) const {
    return OpenProfile().contains(Key(name));
}

QString TemporaryProfile::FilePath() const {
    return OpenProfile().fileName();
}

}  // namespace q470
