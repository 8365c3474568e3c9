#include "device_info_box.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <string>

#include "device_records.h"
#include "device_state.h"
#include "model_kind.h"
#include "string_table.h"

namespace q470 {
namespace {

// Room for "00:12:4B:00:1A:2B:3C:4D" and a version text.
constexpr char kAddressSample[] = "00:00:00:00:00:00:00:00";
constexpr char kFirmwareSample[] = "00.00.00.00";

QLineEdit* MakeField(QWidget* parent, const char* name, const char* sample) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    // As wide as its text needs; the address column takes what room the box has left.
    edit->setSizePolicy(QSizePolicy::Preferred, edit->sizePolicy().verticalPolicy());
    const QFontMetrics metrics(edit->font());
    edit->setMinimumWidth(metrics.horizontalAdvance(QString::fromLatin1(sample)) + 4 * metrics.averageCharWidth());
    return edit;
}

QPushButton* MakeButton(QWidget* parent, UiText text, const char* name) {
    auto* button = new QPushButton(Text(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);  // Enter in the window presses nothing
    return button;
}

// Wide enough for every status text a read can bring (each model, link state and mode), so that a text
// arriving never widens the window.
int StatusTextWidth(const QLabel& label) {
    const std::string settingMode = Text(UiText::SettingMode).toStdString();
    int widest = 0;
    for (std::uint32_t kind : {ModelQ470R, ModelKs400, ModelKs410}) {
        for (std::uint8_t linkState : {0, 1}) {
            for (std::uint8_t normalMode : {0, 1}) {
                DeviceState state;
                state.modelKind = kind;
                state.info.linkState = linkState;
                state.info.normalMode = normalMode;
                const QString text = QString::fromStdString(DeviceStatusText(state, settingMode));
                widest = std::max(widest, label.fontMetrics().size(0, text).width());
            }
        }
    }
    const QMargins margins = label.contentsMargins();
    return widest + margins.left() + margins.right() + 2 * label.margin();
}

QLabel* MakeLabel(QWidget* parent, UiText text, QWidget* buddy) {
    auto* label = new QLabel(Text(text), parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

DeviceInfoBox::DeviceInfoBox(QWidget* parent) : QGroupBox(Text(UiText::DeviceInfoGroup), parent) {
    setObjectName(QStringLiteral("deviceInfoBox"));
    addressEdit_ = MakeField(this, "extendedAddressEdit", kAddressSample);
    firmwareEdit_ = MakeField(this, "firmwareVersionEdit", kFirmwareSample);
    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName(QStringLiteral("statusInfoLabel"));
    statusLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Its width is reserved for the longest text a read can bring, so that no text widens the box; the
    // box's own size asks for that width too, so that nothing beside the label is squeezed for it.
    statusLabel_->setMinimumWidth(StatusTextWidth(*statusLabel_));
    restartButton_ = MakeButton(this, UiText::RestartButton, "restartButton");
    factoryResetButton_ = MakeButton(this, UiText::FactoryResetButton, "factoryResetButton");

    auto* grid = new QGridLayout(this);
    grid->addWidget(MakeLabel(this, UiText::ExtendedAddressLabel, addressEdit_), 0, 0);
    grid->addWidget(addressEdit_, 0, 1);
    grid->addWidget(MakeLabel(this, UiText::FirmwareVersionLabel, firmwareEdit_), 0, 2);
    grid->addWidget(firmwareEdit_, 0, 3);
    grid->addWidget(new QLabel(Text(UiText::StatusInfoLabel), this), 1, 0);
    grid->addWidget(statusLabel_, 1, 1);
    grid->addWidget(restartButton_, 1, 2);
    grid->addWidget(factoryResetButton_, 1, 3);
    grid->setColumnStretch(1, 1);

    connect(restartButton_, &QPushButton::clicked, this, &DeviceInfoBox::restartClicked);
    connect(factoryResetButton_, &QPushButton::clicked, this, &DeviceInfoBox::factoryResetClicked);
}

void DeviceInfoBox::SetIdentity(const QString& extendedAddress, const QString& firmwareVersion, const QString& status) {
    addressEdit_->setText(extendedAddress);
    firmwareEdit_->setText(firmwareVersion);
    statusLabel_->setText(status);
}

void DeviceInfoBox::Clear() {
    SetIdentity({}, {}, {});
}

QWidget* DeviceInfoBox::LastControl() const {
    return factoryResetButton_;
}

void DeviceInfoBox::SetControlsEnabled(bool enable) {
    restartButton_->setEnabled(enable);
    factoryResetButton_->setEnabled(enable);
    addressEdit_->setEnabled(enable);
    firmwareEdit_->setEnabled(enable);
}

}  // namespace q470
