#include "com_config_dlg.h"

#include <QAbstractItemView>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <tuple>

#include "app_profile.h"
#include "device_finder.h"
#include "line_choices.h"
#include "list_item.h"
#include "model_kind.h"
#include "narrow_text.h"
#include "port_combo_box.h"
#include "port_item_delegate.h"
#include "setting_values.h"
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

constexpr int kPortListMinChars = 14;

QString Section() {
    return QString::fromLatin1(kProfileSection);
}

QString Wide(const std::string& text) {
    return QString::fromStdU16String(NarrowToWide(text));
}

// A label whose text may be long: it takes the width the dialog has and never widens it.
QLabel* InfoLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// Keeps its place in the layout while hidden, so that showing it does not move the dialog's controls.
void KeepPlaceWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
    widget->hide();
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
    // A port that is not listed (a pseudo-terminal, a /dev/serial/by-id/ link) can be typed in.
    portList_->setEditable(true);
    portList_->setInsertPolicy(QComboBox::NoInsert);
    // A typed path is taken as typed: no completion fills in a listed name (or one of another case).
    portList_->setCompleter(nullptr);
    // The list has the focus and hands keys to its field itself, past any filter on the field.
    portList_->installEventFilter(this);
    portList_->lineEdit()->installEventFilter(this);
    portList_->setItemDelegate(new PortItemDelegate(portList_));
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

    portDescription_ = InfoLabel(this, "portDescription");
    grid->addWidget(portDescription_, 2, 0, 1, static_cast<int>(columns.size()));

    findButton_ = new QPushButton(Text(UiText::FindDeviceButton), this);
    findButton_->setObjectName(QStringLiteral("findButton"));
    findButton_->setAutoDefault(false);
    findProgress_ = new QProgressBar(this);
    findProgress_->setObjectName(QStringLiteral("findProgress"));
    findProgress_->setTextVisible(false);
    KeepPlaceWhenHidden(findProgress_);
    findCancelButton_ = new QPushButton(Text(UiText::FindCancelButton), this);
    findCancelButton_->setObjectName(QStringLiteral("findCancelButton"));
    findCancelButton_->setAutoDefault(false);
    KeepPlaceWhenHidden(findCancelButton_);
    findStatus_ = InfoLabel(this, "findStatus");
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(findButton_);
    findRow->addWidget(findProgress_, 1);
    findRow->addWidget(findCancelButton_);

    finder_ = new DeviceFinder(this);
    connect(finder_, &DeviceFinder::Progress, this, &ComConfigDlg::OnFindProgress);
    connect(finder_, &DeviceFinder::Finished, this, &ComConfigDlg::OnFindFinished);
    connect(findButton_, &QPushButton::clicked, this, &ComConfigDlg::FindDevice);
    connect(findCancelButton_, &QPushButton::clicked, finder_, &DeviceFinder::Cancel);

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
    layout->addLayout(findRow);
    layout->addWidget(findStatus_);
    layout->addSpacing(layout->spacing());
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(okButton_, &QPushButton::clicked, this, &ComConfigDlg::accept);
    connect(cancelButton, &QPushButton::clicked, this, &ComConfigDlg::reject);
    connect(portList_, &PortComboBox::popupAboutToShow, this, &ComConfigDlg::BuildPortList);
    // activated: the user's choices only, never the lists being filled.
    connect(portList_, &QComboBox::activated, this, &ComConfigDlg::OnPortChosen);
    connect(portList_, &QComboBox::currentIndexChanged, this, &ComConfigDlg::ShowPortDescription);
    connect(portList_->lineEdit(), &QLineEdit::textEdited, this, [this] {
        portTyped_ = true;
        ShowPortDescription();
    });
    connect(portList_->lineEdit(), &QLineEdit::editingFinished, this, &ComConfigDlg::OnPortTyped);
    connect(speedList_, &QComboBox::activated, this, [this] { StoreListChoice(*speedList_, kBaudRateValue); });
    connect(parityList_, &QComboBox::activated, this, [this] { StoreListChoice(*parityList_, kParityValue); });
    connect(stopBitsList_, &QComboBox::activated, this, [this] { StoreListChoice(*stopBitsList_, kStopBitsValue); });
    connect(dataBitsList_, &QComboBox::activated, this, [this] { StoreListChoice(*dataBitsList_, kDataBitsValue); });
}

std::uint32_t ComConfigDlg::StoredBaudRate() {
    const auto stored = AppProfile().ReadInt(Section(), kBaudRateValue, kDefaultBaudRate);
    for (const SettingValue& rate : kBaudRateValues) {
        if (stored && *stored == rate.code) return rate.code;
    }
    return kDefaultBaudRate;  // a stored rate the list does not offer leaves the dialog's own
}

std::uint8_t ComConfigDlg::StoredStopBits() {
    const auto stored = AppProfile().ReadInt(Section(), kStopBitsValue, 0);
    return stored && *stored == 2 ? 2 : 0;
}

// Enter in the port field presses OK, as in every other field; the editable list would keep it.
bool ComConfigDlg::eventFilter(QObject* watched, QEvent* event) {
    const bool portField = watched == portList_ || watched == portList_->lineEdit();
    if (!portField || event->type() != QEvent::KeyPress || portList_->view()->isVisible()) {
        return QDialog::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return QDialog::eventFilter(watched, event);
    if (okButton_->isEnabled()) okButton_->click();
    return true;
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
    FillList(*speedList_, kBaudRateValues, profile.ReadInt(section, kBaudRateValue, kDefaultBaudRate));
    FillList(*parityList_, kLineParityValues, profile.ReadInt(section, kParityValue, 0));
    FillList(*stopBitsList_, kLineStopBitValues, profile.ReadInt(section, kStopBitsValue, 0));
    FillList(*dataBitsList_, kDataBitValues, profile.ReadInt(section, kDataBitsValue, kDefaultDataBits));
    // Every opening starts like the first: the dialog keeps its focus widget while hidden, and a button
    // that had the focus (Cancel, say) would still be the one Enter presses.
    okButton_->setDefault(true);
    portList_->setFocus(Qt::OtherFocusReason);
    findStatus_->clear();
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
    // A port typed in before is not listed, yet is there as long as its path is.
    if (!matched && QFileInfo(stored).isAbsolute() && QFileInfo::exists(stored)) {
        InsertSorted(stored);
        portName_ = stored;
        matched = true;
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
    const QString description = Wide(DescriptionText(describePorts_(WideToNarrow(portName.toStdU16String()))));
    portList_->setItemData(index, description, PortItemDelegate::PortDescriptionRole);
    portList_->setItemData(index, description, Qt::ToolTipRole);
}

void ComConfigDlg::ShowPortDescription() {
    const int index = FindPort(portList_->currentText());
    const QString description =
        index >= 0 ? portList_->itemData(index, PortItemDelegate::PortDescriptionRole).toString() : QString();
    portDescription_->setText(description);
    portDescription_->setToolTip(description);
}

// A typed port is stored like a chosen one, once the user has finished typing it.
void ComConfigDlg::OnPortTyped() {
    if (!portTyped_) return;
    portTyped_ = false;
    preferPort_ = false;
    const QString name = portList_->currentText().trimmed();
    if (!name.isEmpty()) AppProfile().WriteText(Section(), kPortNameValue, name);
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
    if (Searching()) return;  // OK is disabled meanwhile; Enter in the port field must not slip past it
    OnPortTyped();
    if (!portList_->currentText().trimmed().isEmpty()) portName_ = portList_->currentText().trimmed();
    if (const auto data = SelectedItemData(*speedList_)) line_.baudRate = static_cast<std::uint32_t>(*data);
    if (const auto data = SelectedItemData(*parityList_)) line_.parity = static_cast<std::uint8_t>(*data);
    if (const auto data = SelectedItemData(*stopBitsList_)) line_.stopBits = static_cast<std::uint8_t>(*data);
    if (const auto data = SelectedItemData(*dataBitsList_)) line_.dataBits = static_cast<std::uint8_t>(*data);
    QDialog::accept();
}

void ComConfigDlg::reject() {
    finder_->Cancel();
    QDialog::reject();
}

bool ComConfigDlg::Searching() const {
    return finder_->Running();
}

void ComConfigDlg::FindDevice() {
    if (Searching()) return;
    QStringList ports;
    for (int i = 0; i < portList_->count(); ++i) ports << portList_->itemText(i);
    const QString typed = portList_->currentText().trimmed();
    if (!typed.isEmpty() && !ports.contains(typed)) ports << typed;
    if (ports.isEmpty()) {
        findStatus_->setText(Text(UiText::FindNothing));
        return;
    }
    findProgress_->setRange(0, 1);  // until the first setting is tried
    findProgress_->setValue(0);
    SetSearching(true);
    finder_->Start(ports);
}

void ComConfigDlg::SetSearching(bool searching) {
    for (QWidget* widget : std::initializer_list<QWidget*>{portList_, speedList_, parityList_, stopBitsList_,
                                                           dataBitsList_, okButton_, findButton_}) {
        widget->setEnabled(!searching);
    }
    findProgress_->setVisible(searching);
    findCancelButton_->setVisible(searching);
    if (searching) {
        findCancelButton_->setFocus(Qt::OtherFocusReason);
    } else {
        okButton_->setDefault(true);
    }
}

void ComConfigDlg::OnFindProgress(const QString& port, const QString& line, int done, int inAll) {
    findProgress_->setRange(0, inAll);
    findProgress_->setValue(done);
    findStatus_->setText(FormatText(UiText::FindSearching, port.toUtf8().constData(), line.toUtf8().constData()));
}

void ComConfigDlg::OnFindFinished(const std::vector<PortDiscovery>& results) {
    SetSearching(false);
    const auto found = std::find_if(results.begin(), results.end(),
                                    [](const PortDiscovery& r) { return r.outcome == DiscoveryOutcome::Found; });
    if (found != results.end()) {
        SelectFound(*found);
        findStatus_->setText(FormatText(UiText::FindFound, ModelLabel(found->identity.modelKind), found->port.c_str(),
                                        LineText(*found->line).c_str()));
        okButton_->setFocus(Qt::OtherFocusReason);
        return;
    }
    const bool stopped = std::any_of(results.begin(), results.end(),
                                     [](const PortDiscovery& r) { return r.outcome == DiscoveryOutcome::Stopped; });
    findStatus_->setText(Text(stopped ? UiText::FindCancelled : UiText::FindNothing));
    portList_->setFocus(Qt::OtherFocusReason);
}

// As if the user had chosen the port and each line setting: each is stored at once.
void ComConfigDlg::SelectFound(const PortDiscovery& found) {
    const QString port = Wide(found.port);
    if (FindPort(port) < 0) InsertSorted(port);
    portList_->setCurrentIndex(FindPort(port));
    OnPortChosen(portList_->currentIndex());
    const ConnectionLine& line = *found.line;
    const std::array<std::tuple<QComboBox*, qint64, const char*>, 4> lists{{
        {speedList_, line.baudRate, kBaudRateValue},
        {parityList_, line.parity, kParityValue},
        {stopBitsList_, line.stopBits, kStopBitsValue},
        {dataBitsList_, line.dataBits, kDataBitsValue},
    }};
    for (const auto& [list, value, valueName] : lists) {
        if (SelectItemData(*list, value)) StoreListChoice(*list, valueName);
    }
}

}  // namespace q470
