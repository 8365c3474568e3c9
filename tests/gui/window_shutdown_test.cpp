// Closing the main window while a job waits for the device: the window goes at once and takes its
// port, its threads and its descriptors with it, whichever job was running.

#include "keldan_q470r_configurator_dlg.h"

#include <QAction>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>

#include "general_info_page.h"
#include "gpio_config_page.h"
#include "io_service_exec.h"
#include "process_census.h"
#include "q470comm.h"
#include "string_table.h"
#include "widget_driver.h"
#include "window_rig.h"

namespace q470 {
namespace {

using Clock = std::chrono::steady_clock;
using test::OpenDescriptors;
using test::ProcessThreads;

constexpr int kCloseLimitMs = 1000;

// How a job is started once the window shows the device; identify and the read start by themselves.
enum class Start { Connecting, ApplyGeneral, ApplyGpio, LoadFile, Restart, FactoryReset };

void StartJob(WindowRig& rig, Start start, const QString& file) {
    CKeldanQ470RConfiguratorDlg& window = *rig.window;
    auto& tabs = Child<QTabWidget>(window, QStringLiteral("tabs"));
    switch (start) {
        case Start::Connecting:
            return;
        case Start::ApplyGeneral:
            tabs.setCurrentIndex(0);
            Click(Child<QPushButton>(window.GeneralPage(), QStringLiteral("applyButton")));
            return;
        case Start::ApplyGpio:
            tabs.setCurrentIndex(1);
            Click(Child<QPushButton>(window.GpioPage(), QStringLiteral("applyButton")));
            return;
        case Start::LoadFile:
            rig.ui.fileNames.push_back(file);
            window.findChild<QAction*>(QStringLiteral("loadConfigAction"))->trigger();
            return;
        case Start::Restart:
            Click(Child<QPushButton>(window, QStringLiteral("restartButton")));
            return;
        case Start::FactoryReset:
            rig.ui.answers.push_back(MessageAnswer::Yes);  // to the question before the reset
            Click(Child<QPushButton>(window, QStringLiteral("factoryResetButton")));
            return;
    }
}

bool LastCommandStartsWith(const WindowRig& rig, const std::string& keyword) {
    const auto commands = rig.modem.Commands();
    return !commands.empty() && commands.back().rfind(keyword, 0) == 0;
}

}  // namespace

class WindowShutdownTest : public QObject {
    Q_OBJECT

private slots:
    // Qt opens some descriptors of its own the first time a window shows (fonts, the platform); they
    // stay for the process's life and are not the window's.
    void initTestCase() {
        WindowRig rig;
        QVERIFY(rig.Connect());
    }

    void closingDuringAJob_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("stuckAt");  // the device never answers this command
        const int q470r = int(sim::ModemModel::Q470R);
        const int keldan = int(sim::ModemModel::KS410);
        QTest::newRow("identify") << q470r << int(Start::Connecting) << "AT+QM?";
        QTest::newRow("read Q470R") << q470r << int(Start::Connecting) << "AT+GPIOC?";
        QTest::newRow("read KELDAN") << keldan << int(Start::Connecting) << "AT+UPANID?";
        QTest::newRow("apply general Q470R") << q470r << int(Start::ApplyGeneral) << "AT+PHYID=";
        QTest::newRow("apply general KELDAN") << keldan << int(Start::ApplyGeneral) << "AT+UPANID=";
        QTest::newRow("apply GPIO") << q470r << int(Start::ApplyGpio) << "AT+GPIOC=";
        QTest::newRow("apply file Q470R") << q470r << int(Start::LoadFile) << "AT+RFCH=";
        QTest::newRow("apply file KELDAN") << keldan << int(Start::LoadFile) << "AT+UART=";
        QTest::newRow("restart") << q470r << int(Start::Restart) << "ATZ";
        QTest::newRow("factory reset") << keldan << int(Start::FactoryReset) << "AT&F";
    }

    void closingDuringAJob() {
        QFETCH(int, model);
        QFETCH(int, start);
        QFETCH(QString, stuckAt);
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("device.json"));
        WindowRig rig(ModemOf(static_cast<sim::ModemModel>(model)));
        const std::size_t descriptors = OpenDescriptors();
        const std::size_t threads = ProcessThreads();
        const auto silent = sim::CommandFault::Silent();
        if (start == int(Start::Connecting)) {
            rig.modem.SetFault(stuckAt.toStdString(), silent);
            rig.Show();
        } else {
            QVERIFY(rig.Connect());
            rig.ui.fileNames.push_back(file);
            rig.window->findChild<QAction*>(QStringLiteral("saveConfigAction"))->trigger();
            rig.modem.SetFault(stuckAt.toStdString(), silent);
            StartJob(rig, static_cast<Start>(start), file);
        }
        QVERIFY(QTest::qWaitFor([&] { return LastCommandStartsWith(rig, stuckAt.toStdString()); }, kHangGuardMs));
        QVERIFY(rig.window->IsBusy());
        const std::size_t messagesBefore = rig.ui.Messages().size();

        QPointer<CKeldanQ470RConfiguratorDlg> window = rig.window.release();
        window->setAttribute(Qt::WA_DeleteOnClose);
        const auto closing = Clock::now();
        QVERIFY(window->close());
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), kCloseLimitMs);
        QVERIFY(Clock::now() - closing < std::chrono::milliseconds(kCloseLimitMs));

        QCOMPARE(g_openLinks, 0);
        QCOMPARE(IoServiceExec::Instance().ThreadCount(), std::size_t(0));
        QCOMPARE(ProcessThreads(), threads);
        QCOMPARE(OpenDescriptors(), descriptors);
        // The cut-short job's result finds no window: only the close question was asked.
        QTest::qWait(50);
        QCOMPARE(rig.ui.Messages().size(), messagesBefore + 1);
        QCOMPARE(rig.ui.Messages().back().text, Text(UiText::CloseConfirm));
    }
};

}  // namespace q470

QTEST_MAIN(q470::WindowShutdownTest)
#include "window_shutdown_test.moc"
