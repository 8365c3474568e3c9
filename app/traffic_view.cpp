#include "traffic_view.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "link_traffic.h"
#include "string_table.h"
#include "typed_command.h"
#include "ui_services.h"
#include "window_placement.h"

namespace q470 {
namespace {

constexpr int kPollMs = 100;
constexpr int kWidthChars = 100;
constexpr int kHeightLines = 25;

QPushButton* AddButton(QDialogButtonBox& box, UiText text, const char* name, QDialogButtonBox::ButtonRole role) {
    QPushButton* button = box.addButton(Text(text), role);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QLineEdit* AddField(QWidget* parent, QHBoxLayout& row, UiText label, const char* name) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    auto* caption = new QLabel(Text(label), parent);
    caption->setBuddy(field);
    row.addWidget(caption);
    row.addWidget(field, 1);
    return field;
}

}  // namespace

TrafficView::TrafficView(TrafficLog& log, std::atomic<bool>& recording, QWidget* parent)
    : QDialog(parent), log_(log), recording_(recording) {
    setObjectName(QStringLiteral("trafficView"));
    setWindowTitle(Text(UiText::TrafficTitle));
    setModal(false);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("trafficText"));
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setMaximumBlockCount(kMaxLines);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QFontMetrics metrics(text_->font());
    text_->setMinimumSize(metrics.averageCharWidth() * kWidthChars, metrics.lineSpacing() * kHeightLines);

    auto* filterRow = new QHBoxLayout;
    filter_ = AddField(this, *filterRow, UiText::TrafficFilterLabel, "trafficFilter");
    filter_->setClearButtonEnabled(true);
    connect(filter_, &QLineEdit::textChanged, this, &TrafficView::ShowFiltered);

    auto* buttons = new QDialogButtonBox(this);
    connect(AddButton(*buttons, UiText::TrafficClear, "clearButton", QDialogButtonBox::ActionRole),
            &QPushButton::clicked, this, &TrafficView::Clear);
    connect(AddButton(*buttons, UiText::TrafficCopy, "copyButton", QDialogButtonBox::ActionRole), &QPushButton::clicked,
            this, &TrafficView::Copy);
    connect(AddButton(*buttons, UiText::TrafficSave, "saveButton", QDialogButtonBox::ActionRole), &QPushButton::clicked,
            this, &TrafficView::Save);
    connect(AddButton(*buttons, UiText::TrafficClose, "closeButton", QDialogButtonBox::RejectRole),
            &QPushButton::clicked, this, &QDialog::hide);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(text_);
    layout->addWidget(CreateCommandRow());
    layout->addWidget(buttons);
    SetCommandEnabled(false);
    poll_ = new QTimer(this);
    poll_->setInterval(kPollMs);
    connect(poll_, &QTimer::timeout, this, &TrafficView::TakeNew);
}

QWidget* TrafficView::CreateCommandRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    command_ = AddField(row, *layout, UiText::TrafficCommandLabel, "trafficCommand");
    command_->setFont(text_->font());
    command_->setMaxLength(kMaxTypedCommandLength);
    // What the device is sent as it is: printable ASCII, no line ends.
    command_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[\\x20-\\x7E]*")), command_));
    command_->setToolTip(Text(UiText::TrafficCommandTip));
    command_->installEventFilter(this);
    send_ = new QPushButton(Text(UiText::TrafficSend), row);
    send_->setObjectName(QStringLiteral("sendButton"));
    send_->setAutoDefault(false);
    layout->addWidget(send_);
    connect(command_, &QLineEdit::returnPressed, this, &TrafficView::Send);
    connect(send_, &QPushButton::clicked, this, &TrafficView::Send);
    return row;
}

void TrafficView::PlaceBeside(const QWidget& main) {
    const QScreen* screen = main.screen();
    if (screen == nullptr) return;
    // The frame is not known before the first showing; the main window's margins are the best guess.
    const QMargins frame(main.geometry().left() - main.frameGeometry().left(),
                         main.geometry().top() - main.frameGeometry().top(),
                         main.frameGeometry().right() - main.geometry().right(),
                         main.frameGeometry().bottom() - main.geometry().bottom());
    const QSize size = sizeHint().grownBy(frame);
    move(BesidePosition(main.frameGeometry(), size, screen->availableGeometry()));
}

// Lines are recorded only while somebody looks: a closed view costs the jobs nothing but a flag.
void TrafficView::showEvent(QShowEvent* event) {
    recording_ = true;
    poll_->start();
    QDialog::showEvent(event);
}

void TrafficView::hideEvent(QHideEvent* event) {
    recording_ = false;
    poll_->stop();
    TakeNew();
    QDialog::hideEvent(event);
}

QString TrafficView::Format(const TrafficLog::Entry& entry) const {
    const auto wall =
        wallAnchor_ + std::chrono::duration_cast<std::chrono::system_clock::duration>(entry.time - steadyAnchor_);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(wall.time_since_epoch()).count();
    const QString time = QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss.zzz"));
    const char* direction = entry.traffic == LinkTraffic::Sent         ? ">"
                            : entry.traffic == LinkTraffic::Unfinished ? "<~"
                                                                       : "<";
    return time + QLatin1Char(' ') + QLatin1String(direction) + QLatin1Char(' ') +
           QString::fromStdString(EscapeTraffic(entry.bytes));
}

bool TrafficView::Shows(const QString& line) const {
    const QString wanted = filter_->text();
    return wanted.isEmpty() || line.contains(wanted, Qt::CaseInsensitive);
}

void TrafficView::TakeNew() {
    const auto entries = log_.Since(next_);
    if (entries.empty()) return;
    QString shown;
    for (const auto& entry : entries) {
        const QString line = Format(entry);
        lines_ << line;
        if (!Shows(line)) continue;
        if (!shown.isEmpty()) shown += QLatin1Char('\n');
        shown += line;
    }
    next_ = entries.back().number + 1;
    if (lines_.size() > kMaxLines) lines_.erase(lines_.begin(), lines_.end() - kMaxLines);
    if (shown.isEmpty()) return;
    // At the end, the view follows the new lines; scrolled up, the lines read stay where they are, moved
    // only by the oldest lines that make room for the new ones.
    QScrollBar& bar = *text_->verticalScrollBar();
    const bool following = bar.value() == bar.maximum();
    const int place = bar.value();
    const int before = text_->blockCount();
    const int added = static_cast<int>(shown.count(QLatin1Char('\n'))) + 1;
    text_->appendPlainText(shown);
    if (following) {
        bar.setValue(bar.maximum());
    } else {
        const int dropped = before + added - text_->blockCount();
        bar.setValue(std::max(0, place - dropped));
    }
}

void TrafficView::ShowFiltered() {
    QStringList shown;
    for (const QString& line : lines_) {
        if (Shows(line)) shown << line;
    }
    text_->setPlainText(shown.join(QLatin1Char('\n')));
    text_->verticalScrollBar()->setValue(text_->verticalScrollBar()->maximum());
}

void TrafficView::SetCommandEnabled(bool enable) {
    command_->setEnabled(enable);
    send_->setEnabled(enable);
}

void TrafficView::Send() {
    const QString line = command_->text();
    if (!command_->isEnabled() || !IsSendableCommand(line)) return;
    if (history_.isEmpty() || history_.back() != line) history_ << line;
    if (history_.size() > kMaxHistory) history_.removeFirst();
    historyAt_ = static_cast<int>(history_.size());
    typing_.clear();
    command_->clear();
    emit commandEntered(line);
}

// Up goes back through the lines sent, Down forward again and at last to what was being typed.
void TrafficView::StepHistory(int step) {
    const int count = static_cast<int>(history_.size());
    const int to = std::clamp(historyAt_ + step, 0, count);
    if (to == historyAt_) return;
    if (historyAt_ == count) typing_ = command_->text();
    historyAt_ = to;
    command_->setText(to == count ? typing_ : history_.at(to));
}

bool TrafficView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == command_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            StepHistory(key == Qt::Key_Up ? -1 : 1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TrafficView::Clear() {
    next_ = log_.Next();
    lines_.clear();
    text_->clear();
}

// The selection, or everything shown when nothing is selected.
void TrafficView::Copy() {
    QString selected = text_->textCursor().selectedText();
    QApplication::clipboard()->setText(selected.isEmpty() ? text_->toPlainText()
                                                          : selected.replace(QChar::ParagraphSeparator, '\n'));
}

void TrafficView::Save() {
    FileDialogRequest request;
    request.filter = Text(UiText::TrafficFileFilter);
    request.presetName = QStringLiteral("*.txt");
    request.defaultSuffix = QStringLiteral("txt");
    const QString path = CurrentUiServices().GetSaveFileName(this, request);
    if (path.isEmpty()) return;
    QFile file(path);
    const QByteArray bytes = (text_->toPlainText() + QLatin1Char('\n')).toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush()) {
        ShowMessageBox(this, Text(UiText::TrafficSaveFailed), MessageIcon::Error);
    }
}

}  // namespace q470
