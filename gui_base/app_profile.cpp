#include "app_profile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QVariant>

namespace q470 {
namespace {

QString Key(const QString& section, const QString& name) {
    return section + QLatin1Char('/') + name;
}

QSettings OpenProfile() {
    return QSettings(QString::fromLatin1(AppProfile::kOrganization), AppProfile::ApplicationName());
}

}  // namespace

QString AppProfile::ApplicationName() {
    const QString path = QCoreApplication::applicationFilePath();
    return path.isEmpty() ? QCoreApplication::applicationName() : QFileInfo(path).completeBaseName();
}

QString AppProfile::ReadText(const QString& section, const QString& name, const QString& defaultValue) const {
    return OpenProfile().value(Key(section, name), defaultValue).toString();
}

std::optional<qint64> AppProfile::ReadInt(const QString& section, const QString& name, qint64 defaultValue) const {
    const QVariant value = OpenProfile().value(Key(section, name));
    if (!value.isValid()) return defaultValue;
    bool ok = false;
    const qint64 number = value.toString().trimmed().toLongLong(&ok);
    if (!ok) return std::nullopt;
    return number;
}

void AppProfile::WriteText(const QString& section, const QString& name, const QString& value) {
    OpenProfile().setValue(Key(section, name), value);
}

void AppProfile::WriteInt(const QString& section, const QString& name, qint64 value) {
    OpenProfile().setValue(Key(section, name), value);
}

}  // namespace q470
