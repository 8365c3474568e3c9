#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>

#include "general_settings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace q470 {

// The first tab page: network role, transmission method, topology, PAN ID, RF channel, the device's UART
// parameters, command response and RX pull-up. It shows and edits its GeneralSettings record; apply
// stores the controls into the record and asks the main window (WM_APP_APPLY_GENERAL) to send it.
class GeneralInfoPage : public QWidget {
    Q_OBJECT

public:
    explicit GeneralInfoPage(QWidget* parent = nullptr);

    void SetGeneralSettings(const GeneralSettings& settings);
    void EnableControls(bool enable);
    const GeneralSettings& GetGeneralSettings() const { return record_; }
    // How many values on the page differ from what the device last reported (SetGeneralSettings), each
    // marked; Apply says the number.
    int ChangedCount() const { return changedCount_; }
    // The device took what the last apply sent: those are its values now.
    void MarkWritten();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls();
    QWidget* CreateRoleGroup();
    QWidget* CreateTransmissionGroup();
    QWidget* CreateLayoutGroup();
    QWidget* CreateUartGroup();
    void SetTabOrder();
    void OnInitDialog();
    void BuildChannelList(std::uint8_t phyId);
    std::optional<std::uint32_t> ReadPanIdEdit() const;
    void MoveControlsToMembers();
    void MoveMembersToControls();
    void OnApply();
    // The record apply would send: the page's record with the values of the controls.
    GeneralSettings RecordFromControls() const;
    void ConnectChangeMarks();
    void UpdateChangeMarks();

    GeneralSettings record_;
    std::optional<GeneralSettings> reported_;  // what the device last reported or took
    int changedCount_ = 0;
    std::uint32_t panIdValue_ = 1234;
    int roleChoice_ = 0;          // 0 master, 1 slave
    int transmissionChoice_ = 0;  // 0 AT command, 1 bypass
    int topologyChoice_ = 0;      // 0 1:1, 1 1:N
    int responseChoice_ = 0;      // 0 ON, 1 OFF

    QButtonGroup* roleButtons_ = nullptr;
    QButtonGroup* transmissionButtons_ = nullptr;
    QButtonGroup* topologyButtons_ = nullptr;
    QButtonGroup* responseButtons_ = nullptr;
    QLabel* panIdLabel_ = nullptr;
    QLabel* channelLabel_ = nullptr;
    QLineEdit* panIdEdit_ = nullptr;
    QComboBox* channelList_ = nullptr;
    QComboBox* baudList_ = nullptr;
    QComboBox* parityList_ = nullptr;
    QComboBox* stopBitsList_ = nullptr;
    QComboBox* dataBitsList_ = nullptr;
    QLabel* rxPullUpLabel_ = nullptr;
    QComboBox* rxPullUpList_ = nullptr;
    QCheckBox* outdoorFixedBox_ = nullptr;
    QPushButton* applyButton_ = nullptr;
};

}  // namespace q470
