#include "gpio_config_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <vector>

#include "allowed_values_text.h"
#include "app_main_window.h"
#include "app_message.h"
#include "change_mark.h"
#include "list_item.h"
#include "setting_messages.h"
#include "setting_table.h"
#include "setting_values.h"
#include "settings_rules.h"
#include "string_table.h"
#include "tab_chain.h"
#include "ui_services.h"

namespace q470 {
namespace {

// Pins 0..6 fill the left column, 7..12 the right one.
constexpr std::size_t kPinsInLeftColumn = 7;
constexpr int kGridColumnsPerPin = 3;

// Input and output, and the pin's alternate function under its own name where it has one.
std::vector<ListItem> ModeItems(std::size_t pin) {
    std::vector<ListItem> items = ListItems(*RowOf(Setting::GpioMode).values);
    if (const char* name = AlternateFunctionName(static_cast<std::uint8_t>(pin))) {
        items.push_back({name, kGpioModeAlternate});
    }
    return items;
}

// Reads the leading decimal number of the text like the C library does (no digits reads as 0). A number
// beyond the 32-bit interval field comes back as one just beyond it, so the check refuses it instead of
// wrapping it.
std::int64_t ReadInterval(const QString& text) {
    constexpr std::int64_t kBeyondField = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    const QString trimmed = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < trimmed.size() && (trimmed[i] == QLatin1Char('+') || trimmed[i] == QLatin1Char('-'))) {
        negative = trimmed[i] == QLatin1Char('-');
        ++i;
    }
    std::int64_t value = 0;
    for (; i < trimmed.size() && trimmed[i].isDigit() && trimmed[i].unicode() < 0x80 && value < kBeyondField; ++i) {
        value = std::min(value * 10 + (trimmed[i].unicode() - '0'), kBeyondField);
    }
    return negative ? -value : value;
}

void AppendTexts(QStringList& texts, const std::vector<ListItem>& items) {
    for (const auto& item : items) texts << QString::fromUtf8(item.text);
}

// The width a list needs for the longest of `texts`, so that changing a pin's mode never moves the columns.
int ListWidthFor(QWidget* parent, const QStringList& texts) {
    QComboBox probe(parent);
    probe.setSizeAdjustPolicy(QComboBox::AdjustToContents);
    probe.addItems(texts);
    return probe.sizeHint().width();
}

QComboBox* MakeList(QWidget* parent, const QString& name, int minimumWidth) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setMinimumWidth(minimumWidth);
    return list;
}

}  // namespace

GpioConfigPage::GpioConfigPage(QWidget* parent) : QWidget(parent) {
    CreateControls();
    OnInitDialog();
}

void GpioConfigPage::CreateControls() {
    unavailableReason_ = new QLabel(this);
    unavailableReason_->setObjectName(QStringLiteral("unavailableReason"));
    unavailableReason_->hide();
    applyButton_ = new QPushButton(this);
    applyButton_->setObjectName(QStringLiteral("applyButton"));
    applyButton_->setAutoDefault(false);  // Enter inside the page applies nothing
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(applyButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(unavailableReason_);
    layout->addWidget(CreatePinGroup());
    layout->addWidget(CreatePeriodGroup());
    layout->addStretch();
    layout->addLayout(buttons);

    connect(applyButton_, &QPushButton::clicked, this, &GpioConfigPage::OnApply);
    SetTabOrder();
}

// As the page reads: the pins in number order (down the left column, then the right one), the period
// group, and Apply last.
void GpioConfigPage::SetTabOrder() {
    std::vector<QWidget*> chain;
    for (const auto& pinRow : pins_) {
        chain.push_back(pinRow.modeList);
        chain.push_back(pinRow.valueList);
    }
    chain.push_back(intervalEdit_);
    chain.push_back(sendToPeerBox_);
    chain.push_back(applyButton_);
    SetTabChain(chain);
}

QWidget* GpioConfigPage::CreatePinGroup() {
    auto* box = new QGroupBox(Text(UiText::GpiosGroup), this);
    auto* grid = new QGridLayout(box);
    QStringList modeTexts;
    AppendTexts(modeTexts, ListItems(*RowOf(Setting::GpioMode).values));
    for (std::uint8_t pin = 0; pin < kGpioPinCount; ++pin) {
        if (const char* name = AlternateFunctionName(pin)) modeTexts << QString::fromLatin1(name);
    }
    const int modeWidth = ListWidthFor(box, modeTexts);
    QStringList valueTexts;
    for (std::uint8_t mode : {kGpioModeInput, kGpioModeOutput, kGpioModeAlternate}) {
        AppendTexts(valueTexts, ListItems(GpioValues(kStatusLedPin, mode)));
    }
    const int valueWidth = ListWidthFor(box, valueTexts);
    for (std::size_t pin = 0; pin < kGpioPinCount; ++pin) {
        const int row = static_cast<int>(pin % kPinsInLeftColumn);
        const int column = static_cast<int>(pin / kPinsInLeftColumn) * (kGridColumnsPerPin + 1);
        auto& pinRow = pins_[pin];
        pinRow.modeList = MakeList(box, QStringLiteral("modeList%1").arg(pin), modeWidth);
        pinRow.valueList = MakeList(box, QStringLiteral("valueList%1").arg(pin), valueWidth);
        pinRow.label = new QLabel(QString::number(pin), box);
        pinRow.label->setBuddy(pinRow.modeList);
        grid->addWidget(pinRow.label, row, column);
        grid->addWidget(pinRow.modeList, row, column + 1);
        grid->addWidget(pinRow.valueList, row, column + 2);
        connect(pinRow.modeList, &QComboBox::activated, this, [this, pin] { OnModeChosen(pin); });
        for (QComboBox* list : {pinRow.modeList, pinRow.valueList}) {
            connect(list, &QComboBox::currentIndexChanged, this, &GpioConfigPage::UpdateChangeMarks);
        }
    }
    // A gap between the two columns of pins.
    grid->setColumnMinimumWidth(kGridColumnsPerPin, grid->horizontalSpacing() * 4);
    return box;
}

QWidget* GpioConfigPage::CreatePeriodGroup() {
    auto* box = new QGroupBox(Text(UiText::PeriodGroup), this);
    intervalEdit_ = new QLineEdit(box);
    intervalEdit_->setObjectName(QStringLiteral("intervalEdit"));
    intervalEdit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), intervalEdit_));
    sendToPeerBox_ = new QCheckBox(Text(UiText::SendToPeer), box);
    sendToPeerBox_->setObjectName(QStringLiteral("sendToPeerBox"));
    intervalLabel_ = new QLabel(Text(UiText::PeriodLabel), box);
    intervalLabel_->setBuddy(intervalEdit_);
    connect(intervalEdit_, &QLineEdit::textChanged, this, &GpioConfigPage::UpdateChangeMarks);
    connect(sendToPeerBox_, &QCheckBox::toggled, this, &GpioConfigPage::UpdateChangeMarks);
    auto* layout = new QHBoxLayout(box);
    layout->addWidget(intervalLabel_);
    layout->addWidget(intervalEdit_);
    layout->addSpacing(layout->spacing() * 4);
    layout->addWidget(sendToPeerBox_);
    layout->addStretch();
    return box;
}

void GpioConfigPage::OnInitDialog() {
    for (std::size_t pin = 0; pin < kGpioPinCount; ++pin) {
        const auto modes = ModeItems(pin);
        FillList(*pins_[pin].modeList, modes.data(), modes.size(), kGpioModeInput);
        FillValueList(pin, kGpioModeInput, 0);
    }
    intervalEdit_->setText(QStringLiteral("0"));
    intervalEdit_->setEnabled(false);
    sendToPeerBox_->setChecked(false);
    sendToPeerBox_->setEnabled(false);
    applyButton_->setText(Text(UiText::Apply));
    EnableControls(false);
}

void GpioConfigPage::FillValueList(std::size_t pin, qint64 mode, std::optional<qint64> select) {
    // A mode beyond the three leaves the list as it was.
    if (mode < kGpioModeInput || mode > kGpioModeAlternate) return;
    FillList(*pins_[pin].valueList, GpioValues(static_cast<std::uint8_t>(pin), static_cast<std::uint8_t>(mode)),
             select);
}

void GpioConfigPage::OnModeChosen(std::size_t pin) {
    if (const auto mode = SelectedItemData(*pins_[pin].modeList)) FillValueList(pin, *mode, 0);
}

void GpioConfigPage::SetGpioSettings(const GpioSettings& settings) {
    record_ = settings;
    filling_ = true;
    // Shown as the device's unsigned number, as the report command carries it.
    intervalEdit_->setText(QString::number(static_cast<std::uint32_t>(settings.reportInterval)));
    sendToPeerBox_->setChecked(settings.sendToPeer != 0);
    for (std::size_t pin = 0; pin < kGpioPinCount; ++pin) {
        const GpioEntry& entry = settings.pins[pin];
        SelectItemData(*pins_[pin].modeList, entry.ioMode);  // mode 2 on a pin without one keeps the old item
        FillValueList(pin, entry.ioMode, entry.pinConfig);
    }
    filling_ = false;
    reported_ = settings;
    UpdateChangeMarks();
}

void GpioConfigPage::MarkWritten() {
    if (!reported_) return;
    reported_ = record_;
    UpdateChangeMarks();
}

// Read from the controls as they are, not from the record: the record changes only on apply. A pin's
// label carries the mark of its mode and its value; each list's tooltip has the device's own.
void GpioConfigPage::UpdateChangeMarks() {
    if (!reported_ || filling_) return;  // nothing to compare with before the first read
    const GpioSettings& device = *reported_;
    int changes = 0;
    for (std::size_t pin = 0; pin < kGpioPinCount; ++pin) {
        const PinRow& row = pins_[pin];
        const GpioEntry& entry = device.pins[pin];
        const auto mode = SelectedItemData(*row.modeList);
        const auto value = SelectedItemData(*row.valueList);
        const bool modeChanged = mode && *mode != entry.ioMode;
        const bool valueChanged = value && (modeChanged || *value != entry.pinConfig);
        const QString modeText = ItemTextFor(*row.modeList, entry.ioMode);
        // The value list holds the items of the mode shown, which may not be the device's.
        const QString valueText =
            modeChanged ? QString::number(entry.pinConfig) : ItemTextFor(*row.valueList, entry.pinConfig);
        SetChangeMark(*row.modeList, modeChanged, modeText);
        SetChangeMark(*row.valueList, valueChanged, valueText);
        SetChangeMark(*row.label, modeChanged || valueChanged, modeText + QStringLiteral(", ") + valueText);
        changes += int{modeChanged} + int{valueChanged};
    }
    const QString deviceInterval = QString::number(static_cast<std::uint32_t>(device.reportInterval));
    const bool intervalChanged = intervalEdit_->text().trimmed().isEmpty() ||
                                 ReadInterval(intervalEdit_->text()) != ReadInterval(deviceInterval);
    SetChangeMark(*intervalLabel_, intervalChanged, deviceInterval);
    SetChangeMark(*intervalEdit_, intervalChanged, deviceInterval);
    const bool peerChanged = sendToPeerBox_->isChecked() != (device.sendToPeer != 0);
    SetChangeMark(*sendToPeerBox_, peerChanged,
                  UnmarkedText(*sendToPeerBox_) + QStringLiteral(": ") +
                      Text(device.sendToPeer != 0 ? UiText::CommandResponseOn : UiText::CommandResponseOff));
    changes += int{intervalChanged} + int{peerChanged};
    changedCount_ = changes;
    applyButton_->setText(ApplyText(changes));
}

void GpioConfigPage::SetUnavailableReason(const QString& reason) {
    unavailableReason_->setText(reason);
    unavailableReason_->setVisible(!reason.isEmpty());
    // The page may be the hidden tab: the tabs must still learn that it has grown.
    if (QWidget* stack = parentWidget()) stack->updateGeometry();
}

void GpioConfigPage::EnableControls(bool enable) {
    for (const auto& pinRow : pins_) {
        pinRow.modeList->setEnabled(enable);
        pinRow.valueList->setEnabled(enable);
    }
    intervalEdit_->setEnabled(enable);
    sendToPeerBox_->setEnabled(enable);
    applyButton_->setEnabled(enable);
}

void GpioConfigPage::OnApply() {
    if (AppMainWindow() == nullptr) return;
    EnableControls(false);
    const std::int64_t interval = ReadInterval(intervalEdit_->text());
    if (!IsAcceptedReportInterval(interval)) {
        const std::string allowed =
            AllowedValuesLine(AllowedValues(Setting::ReportInterval), NumberStyle::Grouped, QStringLiteral("ms"))
                .toStdString();
        ShowMessageBox(this, WithDetails(Text(UiText::InvalidGpioInterval), {allowed}), MessageIcon::Error);
        EnableControls(true);
        // Back in the field with its text selected, so the correction can be typed at once.
        intervalEdit_->setFocus(Qt::OtherFocusReason);
        intervalEdit_->selectAll();
        return;
    }
    const GpioSettings record = RecordFromControls(static_cast<std::int32_t>(interval));
    // A value the lists do not offer (kept from the device) is refused by the shared rules, not sent.
    if (const SettingProblems problems = CheckGpioSettings(record); !problems.empty()) {
        ShowMessageBox(this, WithDetails(Text(UiText::SettingsRefused), ProblemLines(problems, WindowTexts())),
                       MessageIcon::Warning);
        EnableControls(true);
        return;
    }
    record_ = record;
    PostAppMessage(WM_APP_APPLY_GPIO);  // the page stays disabled until the job's result
}

GpioSettings GpioConfigPage::RecordFromControls(std::int32_t reportInterval) const {
    GpioSettings record = record_;
    record.reportInterval = reportInterval;
    record.sendToPeer = sendToPeerBox_->isChecked() ? 1 : 0;
    for (std::size_t pin = 0; pin < kGpioPinCount; ++pin) {
        GpioEntry& entry = record.pins[pin];
        entry.pin = static_cast<std::uint8_t>(pin);
        // A list without a selection (a device value the list does not offer) keeps the device's value.
        if (const auto mode = SelectedItemData(*pins_[pin].modeList)) entry.ioMode = static_cast<std::uint8_t>(*mode);
        if (const auto value = SelectedItemData(*pins_[pin].valueList)) {
            entry.pinConfig = static_cast<std::uint8_t>(*value);
        }
    }
    return record;
}

void GpioConfigPage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace q470
