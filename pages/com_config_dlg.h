#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <system_error>
#include <vector>

#include "enumerate_serial_ports.h"

class QComboBox;
class QPushButton;

namespace q470 {

class PortComboBox;

// The connection dialog and the keeper of the connection settings in use. The members change only on
// OK (and when the port list finds the stored port name); every list choice is written to the profile
// at once, so the next opening starts from it.
class ComConfigDlg : public QDialog {
    Q_OBJECT

public:
    using PortEnumerator = std::function<std::error_code(std::vector<SerialPortEntry>&)>;

    explicit ComConfigDlg(QWidget* parent = nullptr, PortEnumerator enumeratePorts = EnumerateSerialPorts);

    // Connection settings in the serial channel's codes: parity 0 none, 1 odd, 2 even; stop bits 0 one,
    // 2 two.
    const QString& PortName() const { return portName_; }
    std::uint32_t BaudRate() const { return baudRate_; }
    std::uint8_t DataBits() const { return dataBits_; }
    std::uint8_t Parity() const { return parity_; }
    std::uint8_t StopBits() const { return stopBits_; }

    // A port to offer selected whenever the dialog opens while it is present (the demo device's port),
    // until the user picks a port. Offering it writes nothing to the profile.
    void SetPreferredPort(const QString& portName) { preferredPort_ = portName; }

    void accept() override;

    // The rate and stop bits (channel codes) the dialog will offer next: the stored ones, or the
    // defaults. A demonstration device listens at them, so that it answers the first connection.
    static std::uint32_t StoredBaudRate();
    static std::uint8_t StoredStopBits();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void OnInitDialog();
    void BuildPortList();
    void InsertSorted(const QString& portName);
    int FindPort(const QString& portName) const;
    void OnPortChosen(int index);
    void StoreListChoice(const QComboBox& list, const char* valueName);

    PortEnumerator enumeratePorts_;
    std::vector<QString> portNames_;  // the last enumeration
    QString preferredPort_;
    bool preferPort_ = false;  // the preferred port still wins over the stored one
    QString portName_ = QStringLiteral("COM1");
    std::uint32_t baudRate_ = 9600;
    std::uint8_t dataBits_ = 8;
    std::uint8_t parity_ = 0;
    std::uint8_t stopBits_ = 0;

    PortComboBox* portList_ = nullptr;
    QComboBox* speedList_ = nullptr;
    QComboBox* parityList_ = nullptr;
    QComboBox* stopBitsList_ = nullptr;
    QComboBox* dataBitsList_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

}  // namespace q470
