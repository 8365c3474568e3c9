#pragma once

#include <QObject>
#include <cstdint>

#include "app_message.h"

namespace q470 {

// The application's main window as the receiver of posted window messages. The window registers itself;
// the reference clears by itself when the window is destroyed.
void SetAppMainWindow(QObject* window);
QObject* AppMainWindow();

// Posts an AppMessageEvent to the main window; false (nothing posted) when there is none.
bool PostAppMessage(std::uint32_t message, quintptr wParam = 0, qintptr lParam = 0);
// The one way to post to a window, from any thread: the event is queued for the window's thread, and
// Qt discards it with the window when the window is destroyed first.
void PostAppMessageTo(QObject* window, std::uint32_t message, quintptr wParam = 0, qintptr lParam = 0);

}  // namespace q470
