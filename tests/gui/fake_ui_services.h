#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <vector>

#include "com_config_dlg.h"
#include "ui_services.h"

namespace q470 {

// Records every modal request and answers from scripted queues. Installs itself as the current UI
// services for its lifetime.
class FakeUiServices : public UiServices {
public:
    enum class CallKind { Message, OpenFile, SaveFile, ComConfigDlg };

    struct Call {
        CallKind kind;
        MessageRequest message;  // for CallKind::Message
        FileDialogRequest file;  // for the file dialogs
    };

    FakeUiServices();
    ~FakeUiServices() override;
    FakeUiServices(const FakeUiServices&) = delete;
    FakeUiServices& operator=(const FakeUiServices&) = delete;

    MessageAnswer ShowMessage(QWidget* parent, const MessageRequest& request) override;
    QString GetOpenFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString GetSaveFileName(QWidget* parent, const FileDialogRequest& request) override;
    bool RunComConfigDlg(QDialog& dialog) override;

    // The message boxes shown so far, in order.
    std::vector<MessageRequest> Messages() const;

    std::vector<Call> calls;
    // Empty queues answer like a user pressing Enter on the default button (OK, or the question's
    // default) and cancelling file and connection dialogs.
    std::deque<MessageAnswer> answers;
    std::deque<QString> fileNames;
    std::deque<bool> dialogResults;
    // When set, drives the connection dialog instead of the result queue (for example show it, choose
    // items and press OK).
    std::function<bool(ComConfigDlg&)> dialogDriver;
    // How long each message box stays open before it is answered. A real box runs an event loop of its
    // own while it is open, and so does this one: what arrives meanwhile is handled meanwhile.
    std::chrono::milliseconds messageDwell{0};
    // The most message boxes that were open at the same time.
    int mostOpenMessages = 0;

private:
    int openMessages_ = 0;
};

}  // namespace q470
