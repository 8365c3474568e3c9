#pragma once

#include <QString>

class QDialog;
class QWidget;

namespace q470 {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct MessageRequest {
    QString text;
    QString caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    // The button Enter presses; a question about something that cannot be undone makes it No.
    MessageAnswer defaultAnswer = MessageAnswer::Yes;
};

struct FileDialogRequest {
    QString filter;  // string-table form: "text|pattern|text|pattern||"
    QString presetName = QStringLiteral("*.json");
    QString defaultSuffix = QStringLiteral("json");
};

// Everything that waits for the user in a modal window goes through here, so that tests can answer it.
class UiServices {
public:
    virtual ~UiServices() = default;

    virtual MessageAnswer ShowMessage(QWidget* parent, const MessageRequest& request) = 0;
    // The chosen file's full path; empty when the user cancels. The file must exist.
    virtual QString GetOpenFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    // The chosen file's full path; empty when the user cancels. An existing file is confirmed first.
    virtual QString GetSaveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    // Runs the connection dialog (ComConfigDlg) modally; true when it ended with OK.
    virtual bool RunComConfigDlg(QDialog& dialog) = 0;
};

// The services in use: the Qt dialogs unless a test installed its own.
UiServices& CurrentUiServices();
// Installs `services` (not owned); nullptr goes back to the Qt dialogs.
void SetUiServices(UiServices* services);

// The caption of message boxes without a caption of their own: the application's name.
QString MessageCaption();

// A message box with the application's caption.
MessageAnswer ShowMessageBox(QWidget* parent, const QString& text, MessageIcon icon,
                             MessageButtons buttons = MessageButtons::Ok);

}  // namespace q470
