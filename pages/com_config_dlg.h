#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <system_error>
#include <vector>

#include "device_records.h"
#include "enumerate_serial_ports.h"
#include "port_description.h"
#include "port_discovery.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace q470 {

class DeviceFinder;
class PortComboBox;

// The connection dialog and the keeper of the connection settings in use. The members change only on
// OK (and when the port list finds the stored port name); every list choice is written to the profile
// at once, so the next opening starts from it.
class ComConfigDlg : public QDialog {
    Q_OBJECT

public:
    using PortEnumerator = std::function<std::error_code(std::vector<SerialPortEntry>&)>;
    using PortDescriber = std::function<PortDescription(const std::string&)>;

    explicit ComConfigDlg(QWidget* parent = nullptr, PortEnumerator enumeratePorts = EnumerateSerialPorts);

    // The connection settings as the last OK left them: the port, and one value for the line in the
    // serial channel's codes (parity 0 none, 1 odd, 2 even; stop bits 0 one, 2 two).
    const QString& PortName() const { return portName_; }
    ConnectionLine Line() const { return line_; }

    // A port to offer selected whenever the dialog opens while it is present (the demo device's port),
    // until the user picks a port. Offering it writes nothing to the profile.
    void SetPreferredPort(const QString& portName) { preferredPort_ = portName; }

    // What the port list shows beside each port (udev, sysfs, the registry unless a test says otherwise).
    void SetPortDescriber(PortDescriber describe) { describePorts_ = std::move(describe); }

    void accept() override;
    // Also ends a running search, which takes a moment.
    void reject() override;

    // Find: searches the listed ports (and a typed one) for a modem, with progress and a Cancel, while
    // the dialog stays responsive; then selects the first port where one answered and its line settings,
    // as if the user had chosen them.
    void FindDevice();
    bool Searching() const;

    // The rate and stop bits (channel codes) the dialog will offer next: the stored ones, or the
    // defaults. A demonstration device listens at them, so that it answers the first connection.
    static std::uint32_t StoredBaudRate();
    static std::uint8_t StoredStopBits();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void OnInitDialog();
    void BuildPortList();
    void InsertSorted(const QString& portName);
    int FindPort(const QString& portName) const;
    void OnPortChosen(int index);
    void StoreListChoice(const QComboBox& list, const char* valueName);
    void OnPortTyped();
    void ShowPortDescription();
    void OnFindProgress(const QString& port, const QString& line, int done, int inAll);
    void OnFindFinished(const std::vector<PortDiscovery>& results);
    void SelectFound(const PortDiscovery& found);
    void SetSearching(bool searching);

    PortEnumerator enumeratePorts_;
    PortDescriber describePorts_ = DescribeSerialPort;
    DeviceFinder* finder_ = nullptr;
    bool portTyped_ = false;          // the port field holds text the user typed and has not stored yet
    std::vector<QString> portNames_;  // the last enumeration
    QString preferredPort_;
    bool preferPort_ = false;  // the preferred port still wins over the stored one
    QString portName_ = QStringLiteral("COM1");
    ConnectionLine line_;

    PortComboBox* portList_ = nullptr;
    QComboBox* speedList_ = nullptr;
    QComboBox* parityList_ = nullptr;
    QComboBox* stopBitsList_ = nullptr;
    QComboBox* dataBitsList_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* findButton_ = nullptr;
    QPushButton* findCancelButton_ = nullptr;
    QProgressBar* findProgress_ = nullptr;
    QLabel* findStatus_ = nullptr;
    QLabel* portDescription_ = nullptr;
};

}  // namespace q470
