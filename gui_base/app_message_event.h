#pragma once

#include <QEvent>
#include <cstdint>

namespace q470 {

// A window message (WM_APP_* of app_message.h) delivered to the main window as a queued event.
class AppMessageEvent : public QEvent {
public:
    AppMessageEvent(std::uint32_t message, quintptr wParam, qintptr lParam);

    static QEvent::Type EventType();

    std::uint32_t Message() const { return message_; }
    quintptr WParam() const { return wParam_; }
    qintptr LParam() const { return lParam_; }

private:
    std::uint32_t message_;
    quintptr wParam_;
    qintptr lParam_;
};

}  // namespace q470
