#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <thread>
#include <vector>

#include "port_discovery.h"

namespace q470 {

// Runs the modem search on threads of its own and reports on the thread that owns it (the window
// thread), so a dialog stays responsive while ports are probed. One search at a time.
class DeviceFinder : public QObject {
    Q_OBJECT

public:
    explicit DeviceFinder(QObject* parent = nullptr);
    ~DeviceFinder() override;  // stops a running search and waits for its threads

    // False when a search is running already.
    bool Start(const QStringList& ports, const DiscoveryOptions& options = {});
    // Ends the running search early; Finished still comes, with the ports not yet done as stopped.
    void Cancel();
    bool Running() const { return runner_.joinable(); }

signals:
    void Progress(const QString& port, const QString& line, int settingsDone, int settingsInAll);
    void Finished(const std::vector<q470::PortDiscovery>& results);

private:
    void Deliver(std::vector<PortDiscovery> results);

    std::thread runner_;
    std::unique_ptr<DiscoveryStop> stop_;
    int settingsDone_ = 0;
    int settingsInAll_ = 0;
};

}  // namespace q470
