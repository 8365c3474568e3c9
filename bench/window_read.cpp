// Read Device (F5) in the real window, on Qt's offscreen platform, against a simulated Q470R paced at
// the line rate: the time from the key to the pages showing the values read, against the time the
// read's bytes alone take on the line. Run with QT_QPA_PLATFORM=offscreen.

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "enumerate_serial_ports.h"
#include "keldan_q470r_configurator_dlg.h"
#include "line_floor.h"
#include "simulated_modem.h"
#include "ui_services.h"

namespace {

constexpr int kDefaultRuns = 5;
constexpr int kGuardMs = 20000;

// Connects at the bench's line rate and answers every question Yes.
class BenchUiServices : public q470::UiServices {
public:
    explicit BenchUiServices(std::uint32_t baudRate) : baudRate_(baudRate) {}
    q470::MessageAnswer ShowMessage(QWidget*, const q470::MessageRequest& request) override {
        std::fprintf(stderr, "window_read: message: %s\n", qPrintable(request.text));
        return request.buttons == q470::MessageButtons::YesNo ? q470::MessageAnswer::Yes : q470::MessageAnswer::Ok;
    }
    QString GetOpenFileName(QWidget*, const q470::FileDialogRequest&) override { return {}; }
    QString GetSaveFileName(QWidget*, const q470::FileDialogRequest&) override { return {}; }
    bool RunComConfigDlg(QDialog& dialog) override {
        dialog.show();
        auto* speed = dialog.findChild<QComboBox*>(QStringLiteral("speedList"));
        if (speed != nullptr) speed->setCurrentIndex(speed->findText(QString::number(baudRate_)));
        dialog.accept();
        return true;
    }

private:
    std::uint32_t baudRate_;
};

bool IsReady(const q470::CKeldanQ470RConfiguratorDlg& window) {
    const auto* status = window.findChild<QLabel*>(QStringLiteral("statusInfoLabel"));
    return window.IsPortOpen() && !window.IsBusy() && status != nullptr && !status->text().isEmpty();
}

// Polled finely: QTest::qWaitFor sleeps up to 10 ms at a time, as long as the whole read at 115200.
bool WaitUntilReady(const q470::CKeldanQ470RConfiguratorDlg& window) {
    QElapsedTimer guard;
    guard.start();
    while (!IsReady(window)) {
        if (guard.elapsed() > kGuardMs) return false;
        QCoreApplication::processEvents();
        QThread::usleep(100);
    }
    return true;
}

bool MeasureRate(std::uint32_t baudRate, int runs) {
    q470::sim::ModemSettings settings;
    settings.baudRate = baudRate;
    q470::sim::SimulatedModem modem{settings};
    std::string error;
    if (!modem.Start(&error)) {
        std::fprintf(stderr, "window_read: simulated modem: %s\n", error.c_str());
        return false;
    }
    modem.SetPacing(true, baudRate);
    q470::RegisterRuntimePort(modem.PortPath());
    BenchUiServices services(baudRate);
    q470::SetUiServices(&services);
    std::vector<double> elapsed;
    std::vector<double> floor;
    bool ok = true;
    {
        q470::CKeldanQ470RConfiguratorDlg window(QString::fromStdString(modem.PortPath()));
        window.show();
        ok = WaitUntilReady(window);
        for (int i = 0; ok && i < runs; ++i) {
            modem.ClearTranscript();
            QElapsedTimer timer;
            timer.start();
            QTest::keyClick(&window, Qt::Key_F5);
            ok = window.IsBusy() && WaitUntilReady(window);
            elapsed.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            const auto bytes = q470::bench::CountLineBytes(modem.Settings(), modem.Commands());
            floor.push_back(q470::bench::LineMs(bytes.sent + bytes.received, baudRate));
        }
        window.Disconnect();
    }
    q470::SetUiServices(nullptr);
    q470::UnregisterRuntimePort(modem.PortPath());
    if (!ok) {
        std::fprintf(stderr, "window_read: the read did not finish at %u baud\n", baudRate);
        return false;
    }
    const double elapsedMs = q470::bench::Median(elapsed);
    const double floorMs = q470::bench::Median(floor);
    std::printf("%6u baud: F5 to pages filled %8.1f ms, line floor %8.1f ms, ratio %.3f\n", baudRate, elapsedMs,
                floorMs, elapsedMs / floorMs);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
    // The connection defaults from an empty profile, never the user's own.
    QTemporaryDir profile;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile.path());
    std::printf("Read Device (F5) of a Q470R in the window, paced at the line rate (8N1), median of %d runs\n", runs);
    for (const std::uint32_t rate : {115200u, 9600u}) {
        if (!MeasureRate(rate, runs)) return 1;
    }
    return 0;
}
