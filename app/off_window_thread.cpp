#include "off_window_thread.h"

#include <QEventLoop>
#include <QMetaObject>
#include <thread>

namespace q470 {

void RunOffWindowThread(const std::function<void()>& work, bool userInput) {
    QEventLoop loop;
    std::thread runner([&work, &loop] {
        work();
        // Queued, so it also ends the loop when `work` finishes before the loop has started.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(userInput ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    runner.join();
}

}  // namespace q470
