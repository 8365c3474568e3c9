#include "app_message_event.h"

namespace q470 {

AppMessageEvent::AppMessageEvent(std::uint32_t message, quintptr wParam, qintptr lParam)
    : QEvent(EventType()), message_(message), wParam_(wParam), lParam_(lParam) {}

QEvent::Type AppMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

}  // namespace q470
