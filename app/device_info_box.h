#pragma once

#include <QGroupBox>

class QLabel;
class QLineEdit;
class QPushButton;

namespace q470 {

// The box of device identity fields: extended address, firmware version and status information,
// with the restart and factory-reset buttons.
class DeviceInfoBox : public QGroupBox {
    Q_OBJECT

public:
    explicit DeviceInfoBox(QWidget* parent = nullptr);

    void SetIdentity(const QString& extendedAddress, const QString& firmwareVersion, const QString& status);
    void Clear();
    // The two buttons and the two edits; the status text is never disabled.
    void SetControlsEnabled(bool enable);
    // The last control Tab reaches in the box.
    QWidget* LastControl() const;

signals:
    void restartClicked();
    void factoryResetClicked();

private:
    QLineEdit* addressEdit_ = nullptr;
    QLineEdit* firmwareEdit_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QPushButton* restartButton_ = nullptr;
    QPushButton* factoryResetButton_ = nullptr;
};

}  // namespace q470
