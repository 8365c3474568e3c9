#pragma once

#include <QString>
#include <optional>

namespace q470 {

// The per-user profile: QSettings("Brevint", <executable base name>), addressed by section and value
// name like the original registry profile. Every call opens the store anew, so a changed settings path
// (tests) takes effect at once.
class AppProfile {
public:
    static constexpr char kOrganization[] = "Brevint";

    static QString ApplicationName();

    QString ReadText(const QString& section, const QString& name, const QString& defaultValue) const;
    // `defaultValue` when the value is absent; nothing when it is present but not a whole number.
    std::optional<qint64> ReadInt(const QString& section, const QString& name, qint64 defaultValue) const;
    void WriteText(const QString& section, const QString& name, const QString& value);
    void WriteInt(const QString& section, const QString& name, qint64 value);
};

}  // namespace q470
