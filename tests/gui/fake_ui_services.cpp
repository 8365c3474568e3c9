#include "fake_ui_services.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace q470 {
namespace {

template <typename T>
T TakeFront(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return fallback;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

}  // namespace

FakeUiServices::FakeUiServices() {
    SetUiServices(this);
}

FakeUiServices::~FakeUiServices() {
    SetUiServices(nullptr);
}

MessageAnswer FakeUiServices::ShowMessage(QWidget*, const MessageRequest& request) {
    calls.push_back({CallKind::Message, request, {}});
    mostOpenMessages = std::max(mostOpenMessages, ++openMessages_);
    if (messageDwell.count() > 0) {
        QEventLoop box;
        QTimer::singleShot(messageDwell, &box, &QEventLoop::quit);
        box.exec();
    }
    --openMessages_;
    const MessageAnswer fallback = request.buttons == MessageButtons::YesNo ? request.defaultAnswer : MessageAnswer::Ok;
    return TakeFront(answers, fallback);
}

QString FakeUiServices::GetOpenFileName(QWidget*, const FileDialogRequest& request) {
    calls.push_back({CallKind::OpenFile, {}, request});
    return TakeFront(fileNames, QString());
}

QString FakeUiServices::GetSaveFileName(QWidget*, const FileDialogRequest& request) {
    calls.push_back({CallKind::SaveFile, {}, request});
    return TakeFront(fileNames, QString());
}

bool FakeUiServices::RunComConfigDlg(QDialog& dialog) {
    calls.push_back({CallKind::ComConfigDlg, {}, {}});
    auto* comConfigDlg = qobject_cast<ComConfigDlg*>(&dialog);
    if (dialogDriver && comConfigDlg != nullptr) return dialogDriver(*comConfigDlg);
    return TakeFront(dialogResults, false);
}

std::vector<MessageRequest> FakeUiServices::Messages() const {
    std::vector<MessageRequest> messages;
    for (const auto& call : calls) {
        if (call.kind == CallKind::Message) messages.push_back(call.message);
    }
    return messages;
}

}  // namespace q470
