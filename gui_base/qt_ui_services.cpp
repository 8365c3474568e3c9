#include "qt_ui_services.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <array>
#include <utility>

#include "file_filter.h"
#include "qt_translations.h"
#include "string_table.h"

namespace q470 {
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// The texts carry Windows line ends; a label shows a bare CR as a stray glyph.
QString DisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

// Qt's own texts are in the interface language when Qt has a translation for it; where it has none, the
// buttons and labels take the table's texts.
bool NeedsTableTexts() {
    return QtTextsLanguage() != CurrentUiLanguage();
}

void SetTableButtonTexts(QMessageBox& box) {
    const std::array<std::pair<QMessageBox::StandardButton, UiText>, 3> texts{{
        {QMessageBox::Ok, UiText::OkButton},
        {QMessageBox::Yes, UiText::YesButton},
        {QMessageBox::No, UiText::NoButton},
    }};
    for (const auto& [button, text] : texts) {
        if (QAbstractButton* shown = box.button(button)) shown->setText(Text(text));
    }
}

void SetTableLabelTexts(QFileDialog& dialog, QFileDialog::AcceptMode mode) {
    dialog.setLabelText(QFileDialog::LookIn, Text(UiText::LookInLabel));
    dialog.setLabelText(QFileDialog::FileName, Text(UiText::FileNameLabel));
    dialog.setLabelText(QFileDialog::FileType, Text(UiText::FileTypeLabel));
    dialog.setLabelText(QFileDialog::Accept,
                        Text(mode == QFileDialog::AcceptOpen ? UiText::OpenButton : UiText::SaveButton));
    dialog.setLabelText(QFileDialog::Reject, Text(UiText::CancelButton));
}

QString RunFileDialog(QWidget* parent, const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(QtNameFilters(request.filter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(request.presetName);
    if (NeedsTableTexts()) SetTableLabelTexts(dialog, mode);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace

MessageAnswer QtUiServices::ShowMessage(QWidget* parent, const MessageRequest& request) {
    const bool yesNo = request.buttons == MessageButtons::YesNo;
    QMessageBox box(ToQtIcon(request.icon), request.caption, DisplayText(request.text),
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    if (yesNo) {
        box.setDefaultButton(request.defaultAnswer == MessageAnswer::No ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    }
    if (NeedsTableTexts()) SetTableButtonTexts(box);
    const int answer = box.exec();
    if (!yesNo) return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

QString QtUiServices::GetOpenFileName(QWidget* parent, const FileDialogRequest& request) {
    return RunFileDialog(parent, request, QFileDialog::AcceptOpen);
}

QString QtUiServices::GetSaveFileName(QWidget* parent, const FileDialogRequest& request) {
    return RunFileDialog(parent, request, QFileDialog::AcceptSave);
}

bool QtUiServices::RunComConfigDlg(QDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace q470
