#pragma once

#include <QObject>
#include <cstdint>
#include <vector>

namespace q470 {

// Stands in for the main window: registers itself as the receiver of posted window messages and keeps
// what arrives.
class AppMessageRecorder : public QObject {
public:
    struct Message {
        std::uint32_t message;
        quintptr wParam;
        qintptr lParam;
    };

    AppMessageRecorder();

    // Delivers what is still queued for this object, then returns everything received so far.
    std::vector<Message> Delivered();

protected:
    bool event(QEvent* event) override;

private:
    std::vector<Message> messages_;
};

}  // namespace q470
