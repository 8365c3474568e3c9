#include "traffic_view.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>

#include "string_table.h"
#include "ui_services.h"

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
    auto* buttons = new QDialogButtonBox(this);
    connect(AddButton(*buttons, UiText::TrafficClear, "clearButton", QDialogButtonBox::ActionRole),
            &QPushButton::clicked, this, &TrafficView::Clear);
    connect(AddButton(*buttons, UiText::TrafficCopy, "copyButton", QDialogButtonBox::ActionRole),
            &QPushButton::clicked, this, &TrafficView::Copy);
    connect(AddButton(*buttons, UiText::TrafficSave, "saveButton", QDialogButtonBox::ActionRole),
            &QPushButton::clicked, this, &TrafficView::Save);
    connect(AddButton(*buttons, UiText::TrafficClose, "closeButton", QDialogButtonBox::RejectRole),
            &QPushButton::clicked, this, &QDialog::hide);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(buttons);
    poll_ = new QTimer(this);
    poll_->setInterval(kPollMs);
    connect(poll_, &QTimer::timeout, this, &TrafficView::TakeNew);
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

void TrafficView::TakeNew() {
    const auto entries = log_.Since(next_);
    if (entries.empty()) return;
    QString lines;
    for (const auto& entry : entries) {
        const double ms = std::chrono::duration<double, std::milli>(entry.time - log_.Start()).count();
        if (!lines.isEmpty()) lines += QLatin1Char('\n');
        lines += QString::fromStdString(TrafficLine(ms, {}, entry.traffic, entry.bytes));
    }
    next_ = entries.back().number + 1;
    text_->appendPlainText(lines);
}

void TrafficView::Clear() {
    next_ = log_.Next();
    text_->clear();
}

// The selection, or everything when nothing is selected.
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
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
        !file.flush()) {
        ShowMessageBox(this, Text(UiText::TrafficSaveFailed), MessageIcon::Error);
    }
}

}  // namespace q470
