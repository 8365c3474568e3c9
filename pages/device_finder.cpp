#include "device_finder.h"

#include <QMetaObject>

#include "line_choices.h"
#include "narrow_text.h"

namespace q470 {

DeviceFinder::DeviceFinder(QObject* parent) : QObject(parent) {
    qRegisterMetaType<std::vector<PortDiscovery>>("std::vector<q470::PortDiscovery>");
}

DeviceFinder::~DeviceFinder() {
    Cancel();
    if (runner_.joinable()) runner_.join();
}

bool DeviceFinder::Start(const QStringList& ports, const DiscoveryOptions& options) {
    if (Running()) return false;
    std::vector<std::string> names;
    for (const QString& port : ports) names.push_back(WideToNarrow(port.toStdU16String()));
    settingsDone_ = 0;
    // Every port is tried at the same line settings, so the search's length is known before it starts.
    settingsInAll_ = static_cast<int>(SearchLines(options.thorough).size() * names.size());
    stop_ = std::make_unique<DiscoveryStop>();
    DiscoveryStop* stop = stop_.get();
    runner_ = std::thread([this, names, options, stop] {
        auto results = DiscoverPorts(names, options, stop,
                                     [this](const std::string& port, const ConnectionLine& line, std::size_t,
                                                  std::size_t) {
                                         const QString portText = QString::fromStdU16String(NarrowToWide(port));
                                         const QString lineText = QString::fromStdString(LineText(line));
                                         // Queued to the owner's thread; dropped once the owner is gone.
                                         QMetaObject::invokeMethod(
                                             this,
                                             [this, portText, lineText] {
                                                 ++settingsDone_;
                                                 emit Progress(portText, lineText, settingsDone_, settingsInAll_);
                                             },
                                             Qt::QueuedConnection);
                                     });
        QMetaObject::invokeMethod(
            this, [this, results = std::move(results)]() mutable { Deliver(std::move(results)); },
            Qt::QueuedConnection);
    });
    return true;
}

void DeviceFinder::Cancel() {
    if (stop_) stop_->Stop();
}

void DeviceFinder::Deliver(std::vector<PortDiscovery> results) {
    if (runner_.joinable()) runner_.join();
    stop_.reset();
    emit Finished(results);
}

}  // namespace q470
