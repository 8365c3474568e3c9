#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

namespace q470 {

// Points the per-user profile at an empty temporary folder for its lifetime.
class TemporaryProfile {
public:
    TemporaryProfile();
    ~TemporaryProfile();

    // Raw access to section "Default Values", as another program (or an older version) left it.
    void Write(const QString& name, const QVariant& value) const;
    QVariant Read(const QString& name) const;
    bool Contains(const QString& name) const;
    QString FilePath() const;

private:
    QTemporaryDir folder_;
};

}  // namespace q470
