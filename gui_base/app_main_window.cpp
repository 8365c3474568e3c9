#include "app_main_window.h"

#include <QCoreApplication>
#include <QPointer>

#include "app_message_event.h"

namespace q470 {
namespace {

QPointer<QObject>& MainWindowRef() {
    static QPointer<QObject> window;
    return window;
}

}  // namespace

void SetAppMainWindow(QObject* window) {
    MainWindowRef() = window;
}

QObject* AppMainWindow() {
    return MainWindowRef().data();
}

bool PostAppMessage(std::uint32_t message, quintptr wParam, qintptr lParam) {
    QObject* window = AppMainWindow();
    if (window == nullptr) return false;
    PostAppMessageTo(window, message, wParam, lParam);
    return true;
}

void PostAppMessageTo(QObject* window, std::uint32_t message, quintptr wParam, qintptr lParam) {
    QCoreApplication::postEvent(window, new AppMessageEvent(message, wParam, lParam));
}

}  // namespace q470
