#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

#include "gpio_settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace q470 {

// The second tab page: mode and value of the 13 GPIO pins and the periodic GPIO report. It shows and
// edits its GpioSettings record; apply stores the controls into the record and asks the main window
// (WM_APP_APPLY_GPIO) to send it.
class GpioConfigPage : public QWidget {
    Q_OBJECT

public:
    explicit GpioConfigPage(QWidget* parent = nullptr);

    void SetGpioSettings(const GpioSettings& settings);
    void EnableControls(bool enable);
    const GpioSettings& GetGpioSettings() const { return record_; }
    // How many values on the page differ from what the device last reported (SetGpioSettings), each
    // marked; Apply says the number.
    int ChangedCount() const { return changedCount_; }
    // The device took what the last apply sent: those are its values now.
    void MarkWritten();
    // Shown above the pins while the connected model has no GPIO settings; empty hides it.
    void SetUnavailableReason(const QString& reason);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct PinRow {
        QComboBox* modeList = nullptr;
        QComboBox* valueList = nullptr;
        QLabel* label = nullptr;
    };

    void CreateControls();
    QWidget* CreatePinGroup();
    QWidget* CreatePeriodGroup();
    void SetTabOrder();
    void OnInitDialog();
    void OnModeChosen(std::size_t pin);
    // Refills the pin's value list for `mode`; an unknown mode leaves the list as it is.
    void FillValueList(std::size_t pin, qint64 mode, std::optional<qint64> select);
    void OnApply();
    // The record apply would send: the page's record with the values of the controls.
    GpioSettings RecordFromControls(std::int32_t reportInterval) const;
    void UpdateChangeMarks();

    GpioSettings record_;
    std::optional<GpioSettings> reported_;  // what the device last reported or took
    // While a read fills the lists: each list's change would otherwise mark all 13 pins against the
    // read before, dozens of times; they are marked once when the lists are filled.
    bool filling_ = false;
    int changedCount_ = 0;
    std::array<PinRow, kGpioPinCount> pins_{};
    QLabel* unavailableReason_ = nullptr;
    QLabel* intervalLabel_ = nullptr;
    QLineEdit* intervalEdit_ = nullptr;
    QCheckBox* sendToPeerBox_ = nullptr;
    QPushButton* applyButton_ = nullptr;
};

}  // namespace q470
