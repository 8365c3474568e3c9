#include "general_info_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <array>

#include "allowed_values_text.h"
#include "app_main_window.h"
#include "app_message.h"
#include "change_mark.h"
#include "list_item.h"
#include "model_kind.h"
#include "setting_messages.h"
#include "setting_table.h"
#include "setting_values.h"
#include "settings_rules.h"
#include "string_table.h"
#include "tab_chain.h"
#include "ui_services.h"

namespace q470 {
namespace {

constexpr int kMaster = 0;
constexpr int kSlave = 1;
constexpr int kAtCommand = 0;
constexpr int kBypass = 1;
constexpr int kOneToOne = 0;
constexpr int kOneToMany = 1;
constexpr int kResponseOn = 0;
constexpr int kResponseOff = 1;

constexpr std::uint32_t kInitialPanId = 1234;
constexpr int kPanIdMaxDigits = 10;

QButtonGroup* MakeRadioPair(QWidget* parent, QLayout* layout, UiText first, UiText second, const char* firstName,
                            const char* secondName) {
    auto* group = new QButtonGroup(parent);
    const std::array<std::pair<UiText, const char*>, 2> radios{{{first, firstName}, {second, secondName}}};
    for (int id = 0; id < 2; ++id) {
        auto* radio = new QRadioButton(Text(radios[id].first), parent);
        radio->setObjectName(QString::fromLatin1(radios[id].second));
        group->addButton(radio, id);
        layout->addWidget(radio);
    }
    return group;
}

void SetGroupEnabled(QButtonGroup& group, bool enable) {
    for (auto* button : group.buttons()) button->setEnabled(enable);
}

// The lists and the role pair offer what the setting's row allows, in its order and with its labels.
const SettingValues& ValuesOf(Setting setting) {
    return *RowOf(setting).values;
}

// The role radios are the first two values of the role's row, master first.
std::uint8_t RoleCode(int roleChoice) {
    return static_cast<std::uint8_t>(ValuesOf(Setting::NetRole).rows[roleChoice].code);
}

QComboBox* MakeList(QWidget* parent, const char* name) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    return list;
}

}  // namespace

GeneralInfoPage::GeneralInfoPage(QWidget* parent) : QWidget(parent) {
    CreateControls();
    OnInitDialog();
}

void GeneralInfoPage::CreateControls() {
    auto* top = new QHBoxLayout;
    top->addWidget(CreateRoleGroup(), 1);
    auto* right = new QVBoxLayout;
    right->addWidget(CreateTransmissionGroup());
    right->addWidget(CreateLayoutGroup());
    top->addLayout(right, 1);

    outdoorFixedBox_ = new QCheckBox(Text(UiText::OutdoorFixed), this);
    outdoorFixedBox_->setObjectName(QStringLiteral("outdoorFixed"));
    outdoorFixedBox_->setEnabled(false);
    outdoorFixedBox_->hide();  // carries the PHY ID's outdoor flag; the user never sees it

    applyButton_ = new QPushButton(this);
    applyButton_->setObjectName(QStringLiteral("applyButton"));
    // Enter inside the page must neither apply nor close anything.
    applyButton_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(applyButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(CreateUartGroup());
    layout->addStretch();
    layout->addLayout(buttons);

    connect(applyButton_, &QPushButton::clicked, this, &GeneralInfoPage::OnApply);
    for (auto* group : {roleButtons_, transmissionButtons_, topologyButtons_}) {
        connect(group, &QButtonGroup::idClicked, this, &GeneralInfoPage::MoveControlsToMembers);
    }
    ConnectChangeMarks();
    SetTabOrder();
}

// As the page reads: the role group, the two groups beside it, the UART lists, and Apply last. Tab stops
// at the chosen radio of each pair; the arrow keys move between the two.
void GeneralInfoPage::SetTabOrder() {
    std::vector<QWidget*> chain;
    for (auto* radio : roleButtons_->buttons()) chain.push_back(radio);
    chain.push_back(panIdEdit_);
    chain.push_back(channelList_);
    for (auto* group : {transmissionButtons_, topologyButtons_, responseButtons_}) {
        for (auto* radio : group->buttons()) chain.push_back(radio);
    }
    for (QWidget* list : {baudList_, parityList_, stopBitsList_, dataBitsList_, rxPullUpList_}) chain.push_back(list);
    chain.push_back(applyButton_);
    SetTabChain(chain);
}

QWidget* GeneralInfoPage::CreateRoleGroup() {
    auto* box = new QGroupBox(Text(UiText::RoleGroup), this);
    auto* radios = new QHBoxLayout;
    roleButtons_ = MakeRadioPair(box, radios, UiText::RoleMaster, UiText::RoleSlave, "roleMaster", "roleSlave");
    radios->addStretch();

    panIdEdit_ = new QLineEdit(box);
    panIdEdit_->setObjectName(QStringLiteral("panIdEdit"));
    panIdEdit_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), panIdEdit_));
    panIdEdit_->setMaxLength(kPanIdMaxDigits);
    channelList_ = MakeList(box, "channelList");

    auto* fields = new QGridLayout;
    panIdLabel_ = new QLabel(Text(UiText::PanIdLabel), box);
    panIdLabel_->setBuddy(panIdEdit_);
    channelLabel_ = new QLabel(Text(UiText::ChannelLabel), box);
    channelLabel_->setBuddy(channelList_);
    fields->addWidget(panIdLabel_, 0, 0);
    fields->addWidget(panIdEdit_, 0, 1);
    fields->addWidget(channelLabel_, 1, 0);
    fields->addWidget(channelList_, 1, 1);
    fields->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(box);
    layout->addLayout(radios);
    layout->addLayout(fields);
    layout->addStretch();
    return box;
}

QWidget* GeneralInfoPage::CreateTransmissionGroup() {
    auto* box = new QGroupBox(Text(UiText::TransmissionGroup), this);
    auto* layout = new QHBoxLayout(box);
    transmissionButtons_ =
        MakeRadioPair(box, layout, UiText::AtCommandMode, UiText::BypassMode, "atCommandMode", "bypassMode");
    layout->addStretch();
    return box;
}

QWidget* GeneralInfoPage::CreateLayoutGroup() {
    auto* box = new QGroupBox(Text(UiText::LayoutGroup), this);
    auto* topology = new QHBoxLayout;
    topologyButtons_ = MakeRadioPair(box, topology, UiText::LayoutOneToOne, UiText::LayoutOneToMany, "layoutOneToOne",
                                     "layoutOneToMany");
    topology->addStretch();
    auto* response = new QHBoxLayout;
    response->addWidget(new QLabel(Text(UiText::CommandResponseLabel), box));
    responseButtons_ = MakeRadioPair(box, response, UiText::CommandResponseOn, UiText::CommandResponseOff, "responseOn",
                                     "responseOff");
    response->addStretch();
    auto* layout = new QVBoxLayout(box);
    layout->addLayout(topology);
    layout->addLayout(response);
    return box;
}

QWidget* GeneralInfoPage::CreateUartGroup() {
    auto* box = new QGroupBox(this);
    baudList_ = MakeList(box, "baudList");
    parityList_ = MakeList(box, "parityList");
    stopBitsList_ = MakeList(box, "stopBitsList");
    dataBitsList_ = MakeList(box, "dataBitsList");
    rxPullUpList_ = MakeList(box, "rxPullUpList");
    rxPullUpLabel_ = new QLabel(Text(UiText::RxPullUpLabel), box);
    rxPullUpLabel_->setObjectName(QStringLiteral("rxPullUpLabel"));

    auto* grid = new QGridLayout;
    const std::array<std::pair<QLabel*, QComboBox*>, 5> columns{{
        {new QLabel(Text(UiText::SpeedBpsLabel), box), baudList_},
        {new QLabel(Text(UiText::ParityLabel), box), parityList_},
        {new QLabel(Text(UiText::StopBitsLabel), box), stopBitsList_},
        {new QLabel(Text(UiText::DataBitsLabel), box), dataBitsList_},
        {rxPullUpLabel_, rxPullUpList_},
    }};
    for (int column = 0; column < static_cast<int>(columns.size()); ++column) {
        columns[column].first->setBuddy(columns[column].second);
        grid->addWidget(columns[column].first, 0, column);
        grid->addWidget(columns[column].second, 1, column);
        grid->setColumnStretch(column, 1);
    }
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(new QLabel(Text(UiText::UartSettingsLabel), box));
    layout->addLayout(grid);
    return box;
}

void GeneralInfoPage::OnInitDialog() {
    FillList(*baudList_, ValuesOf(Setting::BaudRate), 9600);
    FillList(*parityList_, ValuesOf(Setting::Parity), 0);
    FillList(*stopBitsList_, ValuesOf(Setting::StopBits), 0);
    FillList(*dataBitsList_, ValuesOf(Setting::DataBits), 8);
    FillList(*rxPullUpList_, ValuesOf(Setting::RxPullUp), 0);
    record_.phyId = PhyIdForOutdoor(false);  // a fresh page shows the indoor plan
    BuildChannelList(record_.phyId);
    responseChoice_ = kResponseOn;
    panIdValue_ = kInitialPanId;
    outdoorFixedBox_->setChecked(false);
    rxPullUpLabel_->setToolTip(Text(UiText::RxPullUpTip));
    rxPullUpList_->setToolTip(Text(UiText::RxPullUpTip));
    applyButton_->setText(Text(UiText::Apply));
    MoveMembersToControls();
    EnableControls(false);
}

void GeneralInfoPage::BuildChannelList(std::uint8_t phyId) {
    channelList_->clear();
    for (std::uint8_t channel : ChannelsForPhyId(phyId)) {
        channelList_->addItem(QString::fromStdString(ChannelText(phyId, channel)), channel);
    }
    channelList_->setCurrentIndex(-1);
    if (const auto channel = DefaultChannelForPhyId(phyId)) SelectItemData(*channelList_, *channel);
}

void GeneralInfoPage::SetGeneralSettings(const GeneralSettings& settings) {
    // The RX pull-up given here only picks the list item; the record's own field changes on apply.
    const std::uint8_t rxPullUp = record_.rxPullUp;
    record_ = settings;
    record_.rxPullUp = rxPullUp;

    responseChoice_ = settings.quietMode != 0 ? kResponseOff : kResponseOn;
    outdoorFixedBox_->setChecked(IsOutdoorPhyId(settings.phyId));
    BuildChannelList(settings.phyId);
    // A KELDAN's channel cannot be changed here: the list shows the device's channel or nothing, never
    // the plan's first channel as though the device were on it.
    if (!SelectItemData(*channelList_, settings.rfChannel) && settings.modelKind != ModelQ470R) {
        channelList_->setCurrentIndex(-1);
    }
    roleChoice_ = settings.netRole == RoleCode(kMaster) ? kMaster : kSlave;
    transmissionChoice_ = IsAtCommandMode(settings.opMode) ? kAtCommand : kBypass;
    topologyChoice_ = IsOneToNMode(settings.opMode) ? kOneToMany : kOneToOne;
    SelectItemData(*baudList_, settings.baudRate);
    SelectItemData(*parityList_, settings.parity);
    SelectItemData(*stopBitsList_, settings.stopBits);
    SelectItemData(*dataBitsList_, settings.dataBits);
    SelectItemData(*rxPullUpList_, settings.rxPullUp);
    panIdValue_ = settings.modelKind == ModelQ470R ? settings.panId : settings.userPanId;
    MoveMembersToControls();
    reported_ = settings;
    UpdateChangeMarks();
}

void GeneralInfoPage::MarkWritten() {
    if (!reported_) return;
    reported_ = record_;
    UpdateChangeMarks();
}

void GeneralInfoPage::ConnectChangeMarks() {
    for (auto* group : {roleButtons_, transmissionButtons_, topologyButtons_, responseButtons_}) {
        connect(group, &QButtonGroup::idToggled, this, &GeneralInfoPage::UpdateChangeMarks);
    }
    connect(panIdEdit_, &QLineEdit::textChanged, this, &GeneralInfoPage::UpdateChangeMarks);
    for (auto* list : {channelList_, baudList_, parityList_, stopBitsList_, dataBitsList_, rxPullUpList_}) {
        connect(list, &QComboBox::currentIndexChanged, this, &GeneralInfoPage::UpdateChangeMarks);
    }
}

// Read from the controls as they are, not from the record: the record changes only on apply.
void GeneralInfoPage::UpdateChangeMarks() {
    if (!reported_) return;  // nothing to compare with before the first read
    const GeneralSettings& device = *reported_;
    int changes = 0;
    // A pair of radios: the chosen one carries the mark, with the device's choice in its tooltip.
    const auto markPair = [&changes](QButtonGroup& group, int deviceChoice) {
        const int chosen = group.checkedId();
        const bool changed = chosen >= 0 && chosen != deviceChoice;
        const QString deviceText =
            group.button(deviceChoice) != nullptr ? UnmarkedText(*group.button(deviceChoice)) : QString();
        for (auto* button : group.buttons())
            SetChangeMark(*button, changed && button == group.checkedButton(), deviceText);
        if (changed) ++changes;
    };
    markPair(*roleButtons_, device.netRole == RoleCode(kMaster) ? kMaster : kSlave);
    markPair(*transmissionButtons_, IsAtCommandMode(device.opMode) ? kAtCommand : kBypass);
    markPair(*topologyButtons_, IsOneToNMode(device.opMode) ? kOneToMany : kOneToOne);
    markPair(*responseButtons_, device.quietMode != 0 ? kResponseOff : kResponseOn);

    // A label and its control: the label carries the mark, both tooltips the device's value.
    const auto markField = [&changes](QLabel& label, QWidget& control, bool changed, const QString& deviceText) {
        SetChangeMark(label, changed, deviceText);
        SetChangeMark(control, changed, deviceText);
        if (changed) ++changes;
    };
    const std::uint32_t devicePanId = device.modelKind == ModelQ470R ? device.panId : device.userPanId;
    const auto panId = ReadPanIdEdit();
    markField(*panIdLabel_, *panIdEdit_, !panId || *panId != devicePanId, QString::number(devicePanId));
    const auto markList = [this, &markField](QComboBox& list, qint64 deviceValue) {
        const auto shown = SelectedItemData(list);
        if (QLabel* label = LabelFor(*this, list)) {
            markField(*label, list, shown && *shown != deviceValue, ItemTextFor(list, deviceValue));
        }
    };
    markList(*channelList_, device.rfChannel);
    markList(*baudList_, device.baudRate);
    markList(*parityList_, device.parity);
    markList(*stopBitsList_, device.stopBits);
    markList(*dataBitsList_, device.dataBits);
    markList(*rxPullUpList_, device.rxPullUp);

    changedCount_ = changes;
    applyButton_->setText(ApplyText(changes));
}

void GeneralInfoPage::EnableControls(bool enable) {
    const bool q470r = record_.modelKind == ModelQ470R;
    for (auto* list : {baudList_, parityList_, stopBitsList_, dataBitsList_}) list->setEnabled(enable);
    rxPullUpList_->setEnabled(enable && RecordHasRxPullUp(record_));
    channelList_->setEnabled(enable && q470r);
    SetGroupEnabled(*roleButtons_, enable && q470r);
    panIdEdit_->setEnabled(enable);
    applyButton_->setEnabled(enable);
    for (auto* group : {transmissionButtons_, topologyButtons_, responseButtons_}) SetGroupEnabled(*group, enable);
    outdoorFixedBox_->setEnabled(false);
}

std::optional<std::uint32_t> GeneralInfoPage::ReadPanIdEdit() const {
    bool ok = false;
    const std::uint32_t value = panIdEdit_->text().toUInt(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

void GeneralInfoPage::MoveControlsToMembers() {
    roleChoice_ = roleButtons_->checkedId();
    transmissionChoice_ = transmissionButtons_->checkedId();
    topologyChoice_ = topologyButtons_->checkedId();
    responseChoice_ = responseButtons_->checkedId();
    if (const auto panId = ReadPanIdEdit()) panIdValue_ = *panId;
}

void GeneralInfoPage::MoveMembersToControls() {
    roleButtons_->button(roleChoice_)->setChecked(true);
    transmissionButtons_->button(transmissionChoice_)->setChecked(true);
    topologyButtons_->button(topologyChoice_)->setChecked(true);
    responseButtons_->button(responseChoice_)->setChecked(true);
    panIdEdit_->setText(QString::number(panIdValue_));
}

void GeneralInfoPage::OnApply() {
    if (AppMainWindow() == nullptr) return;
    MoveControlsToMembers();
    // An empty or unreadable edit must not send the PAN ID of an earlier apply.
    const auto panId = ReadPanIdEdit();
    if (!panId || !IsValidPanIdValue(*panId)) {
        const Setting field = record_.modelKind == ModelQ470R ? Setting::PanId : Setting::UserPanId;
        const std::string allowed = AllowedValuesLine(AllowedValues(field), NumberStyle::Plain).toStdString();
        ShowMessageBox(this, WithDetails(Text(UiText::InvalidPanId), {allowed}), MessageIcon::Warning);
        // Back in the field with its text selected, so the correction can be typed at once.
        panIdEdit_->setFocus(Qt::OtherFocusReason);
        panIdEdit_->selectAll();
        return;
    }
    const GeneralSettings record = RecordFromControls();
    // The rule set every way to the device shares: a record it refuses is not sent and not kept.
    const SettingProblems problems = CheckGeneralSettings(record, RadioPlan{record_.phyId, record_.rfChannel});
    if (!problems.empty()) {
        ShowMessageBox(this, WithDetails(Text(UiText::SettingsRefused), ProblemLines(problems, WindowTexts())),
                       MessageIcon::Warning);
        return;
    }
    record_ = record;
    EnableControls(false);  // the record is the job's until the main window re-enables the page
    PostAppMessage(WM_APP_APPLY_GENERAL);
}

GeneralSettings GeneralInfoPage::RecordFromControls() const {
    GeneralSettings record = record_;
    const auto panId = static_cast<std::uint16_t>(panIdValue_);
    if (record.modelKind == ModelQ470R) {
        record.panId = panId;
    } else {
        record.userPanId = panId;
    }
    // The radio stays in the plan it is on: the outdoor or indoor PHY ID where that keeps the device's
    // plan (5 is written as 2, 13 as 12), the device's own PHY ID where it would not (8, or a PHY ID
    // without a plan), so the channel shown is one the PHY ID written allows.
    const bool outdoor = outdoorFixedBox_->isChecked();
    record.phyId = outdoor == IsOutdoorPhyId(record_.phyId) ? PhyIdToApply(record_.phyId) : PhyIdForOutdoor(outdoor);
    // A PHY ID without a channel plan leaves the list empty; the device's channel stays.
    if (const auto channel = SelectedItemData(*channelList_)) record.rfChannel = static_cast<std::uint8_t>(*channel);
    record.netRole = RoleCode(roleChoice_ == kMaster ? kMaster : kSlave);
    record.opMode = OperationMode(transmissionChoice_ == kAtCommand, topologyChoice_ == kOneToMany);
    record.quietMode = responseChoice_ == kResponseOff ? 1 : 0;
    if (const auto baud = SelectedItemData(*baudList_)) record.baudRate = static_cast<std::uint32_t>(*baud);
    if (const auto parity = SelectedItemData(*parityList_)) record.parity = static_cast<std::uint8_t>(*parity);
    if (const auto stop = SelectedItemData(*stopBitsList_)) record.stopBits = static_cast<std::uint8_t>(*stop);
    if (const auto data = SelectedItemData(*dataBitsList_)) record.dataBits = static_cast<std::uint8_t>(*data);
    if (const auto rx = SelectedItemData(*rxPullUpList_)) record.rxPullUp = *rx != 0 ? 1 : 0;
    return record;
}

void GeneralInfoPage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace q470
