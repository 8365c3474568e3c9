#include "com_config_dlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <array>

#include "app_profile.h"
#include "list_item.h"
#include "narrow_text.h"
#include "port_combo_box.h"
#include "string_table.h"

namespace q470 {
namespace {

constexpr char kProfileSection[] = "Default Values";
constexpr char kPortNameValue[] = "Serial port name";
constexpr char kBaudRateValue[] = "Serial port buadrate";  // the stored name is spelt so
constexpr char kParityValue[] = "Serial port parity";
constexpr char kStopBitsValue[] = "Serial port stopbit";
constexpr char kDataBitsValue[] = "Serial port databit";

constexpr std::uint32_t kDefaultBaudRate = 9600;
constexpr std::uint8_t kDefaultDataBits = 8;

// The serial channel's codes; code 1 (one and a half stop bits) is never offered.
constexpr std::array<ListItem, 3> kParityItems{{{"None", 0}, {"Odd", 1}, {"Even", 2}}};
constexpr std::array<ListItem, 2> kStopBitItems{{{"1", 0}, {"2", 2}}};

constexpr int kPortListMinChars = 14;

QString Section() {
    return QString::fromLatin1(kProfileSection);
}

// Sorted like a Windows sorted list: without regard to case; equal texts keep their arrival order.
bool SortsBefore(const QString& a, const QString& b) {
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
}

}  // namespace

ComConfigDlg::ComConfigDlg(QWidget* parent, PortEnumerator enumeratePorts)
    : QDialog(parent), enumeratePorts_(std::move(enumeratePorts)) {
    CreateControls();
}

void ComConfigDlg::CreateControls() {
    setWindowTitle(Text(UiText::ComConfigTitle));
    portList_ = new PortComboBox(this);
    portList_->setObjectName(QStringLiteral("portList"));
    portList_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    portList_->setMinimumContentsLength(kPortListMinChars);
    speedList_ = new QComboBox(this);
    speedList_->setObjectName(QStringLiteral("speedList"));
    parityList_ = new QComboBox(this);
    parityList_->setObjectName(QStringLiteral("parityList"));
    stopBitsList_ = new QComboBox(this);
    stopBitsList_->setObjectName(QStringLiteral("stopBitsList"));
    dataBitsList_ = new QComboBox(this);
    dataBitsList_->setObjectName(QStringLiteral("dataBitsList"));

    auto* grid = new QGridLayout;
    const std::array<std::pair<UiText, QComboBox*>, 5> columns{{
        {UiText::ComPortLabel, portList_},
        {UiText::SpeedLabel, speedList_},
        {UiText::ParityLabel, parityList_},
        {UiText::StopBitsLabel, stopBitsList_},
        {UiText::DataBitsLabel, dataBitsList_},
    }};
    for (int column = 0; column < static_cast<int>(columns.size()); ++column) {
        auto* label = new QLabel(Text(columns[column].first), this);
        label->setBuddy(columns[column].second);
        grid->addWidget(label, 0, column);
        grid->addWidget(columns[column].second, 1, column);
    }

    okButton_ = new QPushButton(Text(UiText::OkButton), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    auto* cancelButton = new QPushButton(Text(UiText::CancelButton), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(layout->spacing());
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(okButton_, &QPushButton::clicked, this, &ComConfigDlg::accept);
    connect(cancelButton, &QPushButton::clicked, this, &ComConfigDlg::reject);
    connect(portList_, &PortComboBox::popupAboutToShow, this, &ComConfigDlg::BuildPortList);
    // activated: the user's choices only, never the lists being filled.
    connect(portList_, &QComboBox::activated, this, &ComConfigDlg::OnPortChosen);
    connect(speedList_, &QComboBox::activated, this, [this] { StoreListChoice(*speedList_, kBaudRateValue); });
    connect(parityList_, &QComboBox::activated, this, [this] { StoreListChoice(*parityList_, kParityValue); });
    connect(stopBitsList_, &QComboBox::activated, this, [this] { StoreListChoice(*stopBitsList_, kStopBitsValue); });
    connect(dataBitsList_, &QComboBox::activated, this, [this] { StoreListChoice(*dataBitsList_, kDataBitsValue); });
}

std::uint32_t ComConfigDlg::StoredBaudRate() {
    const auto stored = AppProfile().ReadInt(Section(), kBaudRateValue, kDefaultBaudRate);
    for (const auto& item : kBaudRateItems) {
        if (stored && *stored == item.data) return item.data;
    }
    return kDefaultBaudRate;  // a stored rate the list does not offer leaves the dialog's own
}

std::uint8_t ComConfigDlg::StoredStopBits() {
    const auto stored = AppProfile().ReadInt(Section(), kStopBitsValue, 0);
    return stored && *stored == 2 ? 2 : 0;
}

void ComConfigDlg::showEvent(QShowEvent* event) {
    // A spontaneous show is the window coming back from being minimised, not a new opening.
    if (!event->spontaneous()) OnInitDialog();
    QDialog::showEvent(event);
}

void ComConfigDlg::OnInitDialog() {
    setWindowTitle(Text(UiText::ComConfigTitle));
    preferPort_ = !preferredPort_.isEmpty();
    BuildPortList();
    const AppProfile profile;
    const QString section = Section();
    FillList(*speedList_, kBaudRateItems, profile.ReadInt(section, kBaudRateValue, kDefaultBaudRate));
    FillList(*parityList_, kParityItems, profile.ReadInt(section, kParityValue, 0));
    FillList(*stopBitsList_, kStopBitItems, profile.ReadInt(section, kStopBitsValue, 0));
    FillList(*dataBitsList_, kDataBitItems, profile.ReadInt(section, kDataBitsValue, kDefaultDataBits));
    // Every opening starts like the first: the dialog keeps its focus widget while hidden, and a button
    // that had the focus (Cancel, say) would still be the one Enter presses.
    okButton_->setDefault(true);
    portList_->setFocus(Qt::OtherFocusReason);
}

void ComConfigDlg::BuildPortList() {
    std::vector<SerialPortEntry> entries;
    enumeratePorts_(entries);  // an enumeration error leaves what was found, possibly nothing
    portNames_.clear();
    for (const auto& entry : entries) portNames_.push_back(QString::fromStdU16String(NarrowToWide(entry.portName)));

    portList_->clear();
    const QString stored = AppProfile().ReadText(Section(), kPortNameValue, QStringLiteral("COM1"));
    bool matched = false;
    for (const QString& name : portNames_) {
        InsertSorted(name);
        if (name == stored) {
            portName_ = name;
            matched = true;
        }
    }
    int selected = matched ? FindPort(stored) : (portList_->count() > 0 ? 0 : -1);
    if (const int preferred = preferPort_ ? FindPort(preferredPort_) : -1; preferred >= 0) selected = preferred;
    portList_->setCurrentIndex(selected);
}

int ComConfigDlg::FindPort(const QString& portName) const {
    return portList_->findText(portName, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void ComConfigDlg::InsertSorted(const QString& portName) {
    int index = 0;
    while (index < portList_->count() && !SortsBefore(portName, portList_->itemText(index))) ++index;
    portList_->insertItem(index, portName);
}

void ComConfigDlg::OnPortChosen(int index) {
    preferPort_ = false;
    const QString name = portList_->itemText(index);
    if (!name.isEmpty()) AppProfile().WriteText(Section(), kPortNameValue, name);
}

void ComConfigDlg::StoreListChoice(const QComboBox& list, const char* valueName) {
    if (const auto data = SelectedItemData(list)) AppProfile().WriteInt(Section(), valueName, *data);
}

void ComConfigDlg::accept() {
    if (portList_->currentIndex() >= 0 && !portList_->currentText().isEmpty()) portName_ = portList_->currentText();
    if (const auto data = SelectedItemData(*speedList_)) baudRate_ = static_cast<std::uint32_t>(*data);
    if (const auto data = SelectedItemData(*parityList_)) parity_ = static_cast<std::uint8_t>(*data);
    if (const auto data = SelectedItemData(*stopBitsList_)) stopBits_ = static_cast<std::uint8_t>(*data);
    if (const auto data = SelectedItemData(*dataBitsList_)) dataBits_ = static_cast<std::uint8_t>(*data);
    QDialog::accept();
}

}  // namespace q470
