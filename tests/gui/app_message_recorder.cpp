#include "app_message_recorder.h"

#include <QCoreApplication>

#include "app_main_window.h"
#include "app_message_event.h"

namespace q470 {

AppMessageRecorder::AppMessageRecorder() {
    SetAppMainWindow(this);
}

std::vector<AppMessageRecorder::Message> AppMessageRecorder::Delivered() {
    QCoreApplication::sendPostedEvents(this, AppMessageEvent::EventType());
    return messages_;
}

bool AppMessageRecorder::event(QEvent* event) {
    if (event->type() != AppMessageEvent::EventType()) return QObject::event(event);
    const auto* message = static_cast<const AppMessageEvent*>(event);
    messages_.push_back({message->Message(), message->WParam(), message->LParam()});
    return true;
}

}  // namespace q470
