// Renders the connection dialog, both pages, the main window after reading simulated devices (the Q470R
// window also at its smallest and after the device was lost), the about box, a message box and a file
// dialog with Qt's own texts, each kind of message the window tells, and the artwork to PNG files, in
// Korean and English, for a person to review.
// Usage: q470-screenshots <output folder> [--scale FACTOR] [--dark]   (run with QT_QPA_PLATFORM=offscreen)
//   --scale 2   renders at device-pixel ratio 2 (file names end in _x2)
//   --dark      renders with a dark palette (file names end in _dark)

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "about_dlg.h"
#include "allowed_values_text.h"
#include "apply_step_text.h"
#include "artwork.h"
#include "com_config_dlg.h"
#include "connection_texts.h"
#include "general_info_page.h"
#include "gpio_config_page.h"
#include "job_code.h"
#include "keldan_q470r_configurator_dlg.h"
#include "dark_palette.h"
#include "main_window_bars.h"
#include "model_kind.h"
#include "modem_settings.h"
#include "qt_translations.h"
#include "qt_ui_services.h"
#include "settings_rules.h"
#include "simulated_modem.h"
#include "string_table.h"
#include "traffic_view.h"
#include "ui_services.h"
#include "verify_box_text.h"

namespace {

using namespace q470;

constexpr int kPreviewZoomedSizePx = 128;
constexpr int kPreviewStripZoom = 4;
constexpr int kPreviewMarginPx = 8;
constexpr qint64 kReadGuardMs = 10000;
// Long enough for the file dialog to list its folder.
constexpr int kFileDialogSettleMs = 300;

struct Options {
    QString folder = QStringLiteral("screenshots");
    QByteArray scale;  // empty: the platform's own
    bool dark = false;
    bool valid = true;

    // Appended to every file name, so the variants can share a folder.
    QString Suffix() const {
        QString suffix;
        if (!scale.isEmpty()) suffix += QStringLiteral("_x") + QString::fromLatin1(scale);
        if (dark) suffix += QStringLiteral("_dark");
        return suffix;
    }
};

// Read before the application object exists: the scale factor must be set by then.
Options ParseOptions(int argc, char* argv[]) {
    Options options;
    bool folderSeen = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dark") == 0) {
            options.dark = true;
        } else if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) {
            options.scale = argv[++i];
        } else if (!folderSeen && argv[i][0] != '-') {
            options.folder = QString::fromLocal8Bit(argv[i]);
            folderSeen = true;
        } else {
            options.valid = false;
        }
    }
    return options;
}

// What the window shows after reading a factory-new simulated Q470R over a 9600 8N1 line.
GeneralSettings DefaultQ470RGeneral() {
    const sim::ModemSettings modem;
    GeneralSettings general;
    general.extendedAddress = modem.extendedAddress;
    general.opMode = modem.opMode;
    general.netRole = modem.netRole;
    general.linkState = modem.linkActive ? 0 : 1;
    general.normalMode = modem.normalMode ? 1 : 0;
    general.phyId = modem.phyId;
    general.rfChannel = modem.rfChannel;
    general.panId = modem.panId;
    general.channelMode = modem.frequencyHopping ? 1 : 0;
    general.baudRate = modem.baudRate;
    general.parity = modem.parity;
    general.stopBits = modem.stopBits;
    general.dataBits = modem.dataBits;
    general.quietMode = modem.quietMode ? 1 : 0;
    general.modelKind = ModelQ470R;
    general.rxPullUp = modem.rxPullUp ? 1 : 0;
    general.firmwareVersion = modem.firmware;
    return general;
}

GpioSettings DefaultQ470RGpio() {
    const sim::ModemSettings modem;
    GpioSettings gpio;
    for (std::size_t pin = 0; pin < kGpioPinCount; ++pin) {
        gpio.pins[pin] = {static_cast<std::uint8_t>(pin), modem.gpio[pin].ioMode, modem.gpio[pin].pinConfig};
    }
    gpio.reportInterval = static_cast<std::int32_t>(modem.reportInterval);
    gpio.sendToPeer = modem.sendRemote ? 1 : 0;
    return gpio;
}

GpioSettings MixedGpio() {
    GpioSettings gpio = DefaultQ470RGpio();
    gpio.pins[2] = {2, 2, 1};    // Status LED, Inv Push Pull
    gpio.pins[4] = {4, 1, 1};    // Output, High
    gpio.pins[8] = {8, 2, 0};    // UART CTS
    gpio.pins[9] = {9, 2, 0};    // UART RTS
    gpio.pins[11] = {11, 0, 2};  // Input, Pull Down
    gpio.reportInterval = 60000;
    gpio.sendToPeer = 1;
    return gpio;
}

bool Save(const QPixmap& pixmap, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    const bool saved = pixmap.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

bool GrabShown(QWidget& widget, const QDir& folder, const QString& name) {
    widget.show();
    widget.adjustSize();
    QCoreApplication::processEvents();
    const bool saved = Save(widget.grab(), folder, name);
    widget.hide();
    return saved;
}

// Answers the main window's modal windows as a user pressing Enter would.
class ScriptedUiServices : public UiServices {
public:
    MessageAnswer ShowMessage(QWidget*, const MessageRequest& request) override {
        std::printf("message: %s\n", qPrintable(request.text));
        return request.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    QString GetOpenFileName(QWidget*, const FileDialogRequest&) override { return {}; }
    QString GetSaveFileName(QWidget*, const FileDialogRequest&) override { return {}; }
    bool RunComConfigDlg(QDialog& dialog) override {
        dialog.show();
        dialog.accept();
        return accept;
    }

    bool accept = true;
};

bool WaitUntilRead(const CKeldanQ470RConfiguratorDlg& window) {
    QElapsedTimer timer;
    timer.start();
    const auto* status = window.findChild<QLabel*>(QStringLiteral("statusInfoLabel"));
    while (!(window.IsPortOpen() && !window.IsBusy() && !status->text().isEmpty())) {
        if (timer.elapsed() > kReadGuardMs) return false;
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    QCoreApplication::processEvents();
    return true;
}

// A device with the longest pin texts and a periodic report, so that nothing is cut off.
sim::ModemSettings ShownDevice(sim::ModemModel model) {
    sim::ModemSettings settings = sim::FactorySettings(model);
    if (model != sim::ModemModel::Q470R) return settings;
    settings.gpio[2] = {2, 1};
    settings.gpio[4] = {1, 1};
    settings.gpio[8] = {2, 0};
    settings.gpio[9] = {2, 0};
    settings.gpio[11] = {0, 2};
    settings.reportInterval = 60000;
    settings.sendRemote = true;
    return settings;
}

// The smallest the window goes (640 x 480), the pages scrolling, and the window after the device was lost,
// its pages marked as read earlier.
bool RenderSmallAndLost(CKeldanQ470RConfiguratorDlg& window, const QString& name, const QDir& folder,
                        const QString& suffix) {
    window.resize(640, 480);
    QCoreApplication::processEvents();
    bool ok = Save(window.grab(), folder, QStringLiteral("%1_small%2").arg(name, suffix));
    window.Disconnect();
    window.SetControlsEnabled(false, true);
    QCoreApplication::processEvents();
    window.resize(window.sizeHint());
    QCoreApplication::processEvents();
    ok &= Save(window.grab(), folder, QStringLiteral("%1_lost%2").arg(name, suffix));
    return ok;
}

// Values changed but not yet written, marked on both tabs; then the traffic view after a typed command
// with the next one in its field. Read Device puts the device's values back afterwards.
bool RenderChangesAndCommand(CKeldanQ470RConfiguratorDlg& window, const QString& name, const QDir& folder,
                             const QString& suffix) {
    GeneralInfoPage& general = window.GeneralPage();
    general.findChild<QLineEdit*>(QStringLiteral("panIdEdit"))->setText(QStringLiteral("4321"));
    auto* baud = general.findChild<QComboBox*>(QStringLiteral("baudList"));
    baud->setCurrentIndex((baud->currentIndex() + 1) % baud->count());
    general.findChild<QRadioButton*>(QStringLiteral("roleSlave"))->setChecked(true);
    auto* mode = window.GpioPage().findChild<QComboBox*>(QStringLiteral("modeList3"));
    mode->setCurrentIndex((mode->currentIndex() + 1) % mode->count());
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("tabs"));
    bool ok = true;
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        QCoreApplication::processEvents();
        ok &= Save(window.grab(), folder, QStringLiteral("%1_marks_tab%2%3").arg(name).arg(tab).arg(suffix));
    }
    tabs->setCurrentIndex(0);
    window.OnReadDevice();  // the question is answered Yes
    ok &= WaitUntilRead(window);

    TrafficView& traffic = window.ShowTrafficView();
    traffic.findChild<QPushButton*>(QStringLiteral("clearButton"))->click();
    window.SendTypedCommand(QStringLiteral("AT+RFCH?"));
    traffic.TakeNew();
    traffic.Command().setText(QStringLiteral("AT+VER?"));
    traffic.adjustSize();
    QCoreApplication::processEvents();
    ok &= Save(traffic.grab(), folder, QStringLiteral("%1_traffic_command%2").arg(name).arg(suffix));
    traffic.hide();
    return ok;
}

// The window while it waits for its device to come back after a restart: the status and Cancel.
bool RenderWaiting(CKeldanQ470RConfiguratorDlg& window, const QString& name, const QDir& folder,
                   const QString& suffix) {
    window.Bars().SetCommandsEnabled(false, false);
    window.Bars().ShowWaiting(FormatText(UiText::WaitingForDevice, "/dev/ttyUSB0"));
    QCoreApplication::processEvents();
    const bool ok = Save(window.grab(), folder, QStringLiteral("%1_waiting%2").arg(name, suffix));
    window.Bars().EndWaiting();
    window.SetControlsEnabled(false, true);
    return ok;
}

// The main window after reading a simulated device through the real jobs, one picture per tab.
bool RenderMainWindow(sim::ModemModel model, const QString& name, const QDir& folder, const QString& suffix) {
    sim::SimulatedModem modem(ShownDevice(model));
    std::string error;
    if (!modem.Start(&error)) {
        std::fprintf(stderr, "simulated modem: %s\n", error.c_str());
        return false;
    }
    RegisterRuntimePort(modem.PortPath());
    bool ok = true;
    {
        CKeldanQ470RConfiguratorDlg window(QString::fromStdString(modem.PortPath()));
        window.show();
        // Open before the connection, so that it shows the identify and the read.
        TrafficView& traffic = window.ShowTrafficView();
        ok = WaitUntilRead(window);
        if (!ok) std::fprintf(stderr, "the %s window did not finish reading\n", qPrintable(name));
        traffic.TakeNew();
        traffic.adjustSize();
        ok &= Save(traffic.grab(), folder, QStringLiteral("%1_traffic%2").arg(name).arg(suffix));
        traffic.hide();
        auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("tabs"));
        for (int tab = 0; ok && tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            ok &= Save(window.grab(), folder, QStringLiteral("%1_tab%2%3").arg(name).arg(tab).arg(suffix));
        }
        if (ok && model == sim::ModemModel::Q470R) ok &= RenderChangesAndCommand(window, name, folder, suffix);
        if (ok && model == sim::ModemModel::Q470R) ok &= RenderSmallAndLost(window, name, folder, suffix);
        if (ok && model == sim::ModemModel::Q470R) ok &= RenderWaiting(window, name, folder, suffix);
    }
    UnregisterRuntimePort(modem.PortPath());
    return ok;
}

// Before any device: the connection dialog cancelled.
bool RenderClosedWindow(ScriptedUiServices& services, const QDir& folder, const QString& suffix) {
    services.accept = false;
    CKeldanQ470RConfiguratorDlg window;
    window.show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    services.accept = true;
    return Save(window.grab(), folder, QStringLiteral("main_window_closed") + suffix);
}

// The real boxes of the UI services, which carry Qt's own texts: the close question and the save dialog
// over a folder with one configuration file.
bool RenderQtBoxes(const QDir& folder, const QString& suffix) {
    QtUiServices services;
    bool ok = true;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ok &= box != nullptr && Save(box->grab(), folder, QStringLiteral("message_box_close") + suffix);
        if (box != nullptr) box->close();
    });
    services.ShowMessage(nullptr, {Text(UiText::CloseConfirm), Text(UiText::CloseCaption), MessageIcon::Information,
                                   MessageButtons::YesNo});

    QTemporaryDir files;
    QFile sample(QDir(files.path()).filePath(QStringLiteral("q470r.json")));
    ok &= sample.open(QIODevice::WriteOnly);
    sample.close();
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            ok = false;
            return;
        }
        dialog->setDirectory(files.path());
        QTimer::singleShot(kFileDialogSettleMs, dialog, [&, dialog] {
            ok &= Save(dialog->grab(), folder, QStringLiteral("file_dialog_save") + suffix);
            dialog->reject();
        });
    });
    FileDialogRequest request;
    request.filter = LoadUiString(static_cast<int>(UiText::ConfigFileFilter));
    services.GetSaveFileName(nullptr, request);
    return ok;
}

// The longest failure an apply can report: every GPIO pin taken, the report refused.
ApplyTrail LongGpioTrail() {
    ApplyTrail trail;
    trail.acknowledged.push_back({CmdQuietModeSet, "AT+QM=0"});
    for (int pin = 0; pin < static_cast<int>(kGpioPinCount); ++pin) {
        char text[32];
        std::snprintf(text, sizeof text, "AT+GPIOC=%04X,1,1", 1u << pin);
        trail.acknowledged.push_back({CmdGpioConfigSet, text});
    }
    trail.failed = AppliedStep{CmdGpioPeriodicSet, "AT+GPIOP=60000,1"};
    return trail;
}

SettingCheck Checked(Setting setting, std::uint32_t written, std::uint32_t readBack) {
    SettingCheck check;
    check.setting = setting;
    check.written = written;
    check.readBack = readBack;
    return check;
}

// What a read-back after Apply on the general page can come to: all as written, and two settings lost.
VerifyReport ShownVerify(bool differs) {
    VerifyReport report;
    report.outcome = differs ? VerifyOutcome::Differs : VerifyOutcome::Verified;
    report.line = ConnectionLine{};
    report.checks = {Checked(Setting::OpMode, 2, 2),
                     Checked(Setting::PanId, 4321, 4321),
                     Checked(Setting::PhyId, 12, 12),
                     Checked(Setting::RfChannel, 101, differs ? 99 : 101),
                     Checked(Setting::NetRole, 1, differs ? 2 : 1),
                     Checked(Setting::QuietMode, 0, 0)};
    SettingCheck uart;
    uart.setting = Setting::BaudRate;
    uart.writtenLine = ConnectionLine{};
    uart.readBackLine = ConnectionLine{};
    report.checks.push_back(uart);
    return report;
}

// Each kind of message the window tells at a desk, as the real message box shows it.
bool RenderMessages(const QDir& folder, const QString& suffix) {
    const QString device = QStringLiteral("KELDAN-KS410");
    const QByteArray address = "00:12:4B:00:1A:2B:3C:4D";
    const auto aboutDevice = [&](UiText text) {
        return FormatText(text, device.toUtf8().constData(), address.constData());
    };
    MessageRequest question{aboutDevice(UiText::FactoryResetConfirm), Text(UiText::FactoryResetButton),
                            MessageIcon::Warning, MessageButtons::YesNo};
    question.defaultAnswer = MessageAnswer::No;
    const std::vector<std::pair<QString, MessageRequest>> messages{
        {QStringLiteral("port_lost"),
         {PortLostText(QStringLiteral("/dev/ttyUSB0"), std::make_error_code(std::errc::io_error)), MessageCaption(),
          MessageIcon::Error, MessageButtons::Ok}},
        {QStringLiteral("port_open_failed"),
         {PortOpenErrorText(std::make_error_code(std::errc::no_such_file_or_directory)), MessageCaption(),
          MessageIcon::Error, MessageButtons::Ok}},
        {QStringLiteral("apply_failed"),
         {WithDetails(Text(UiText::ApplyGpioFailed), ApplyTrailInWords(LongGpioTrail(), JobApplyGpio)),
          MessageCaption(), MessageIcon::Error, MessageButtons::Ok}},
        {QStringLiteral("pan_id_range"),
         {WithDetails(Text(UiText::InvalidPanId),
                      {AllowedValuesLine(AllowedValues(Setting::PanId), NumberStyle::Plain).toStdString()}),
          MessageCaption(), MessageIcon::Warning, MessageButtons::Ok}},
        {QStringLiteral("interval_range"),
         {WithDetails(Text(UiText::InvalidGpioInterval), {AllowedValuesLine(AllowedValues(Setting::ReportInterval),
                                                                            NumberStyle::Grouped, QStringLiteral("ms"))
                                                              .toStdString()}),
          MessageCaption(), MessageIcon::Error, MessageButtons::Ok}},
        {QStringLiteral("factory_reset_question"), question},
        {QStringLiteral("factory_reset_done"),
         {aboutDevice(UiText::FactoryResetDone), MessageCaption(), MessageIcon::Information, MessageButtons::Ok}},
        {QStringLiteral("restart_done"),
         {aboutDevice(UiText::RestartDone), MessageCaption(), MessageIcon::Information, MessageButtons::Ok}},
        {QStringLiteral("verify_verified"),
         {VerifyBoxText(ShownVerify(false)), MessageCaption(), MessageIcon::Information, MessageButtons::Ok}},
        {QStringLiteral("verify_differs"),
         {VerifyBoxText(ShownVerify(true)), MessageCaption(), MessageIcon::Warning, MessageButtons::Ok}},
    };
    QtUiServices services;
    bool ok = true;
    for (const auto& [name, request] : messages) {
        QTimer::singleShot(0, [&, name = name] {
            QWidget* box = QApplication::activeModalWidget();
            ok &= box != nullptr && Save(box->grab(), folder, QStringLiteral("message_%1%2").arg(name, suffix));
            if (box != nullptr) box->close();
        });
        services.ShowMessage(nullptr, request);
    }
    return ok;
}

bool RenderLanguage(const char* language, const QDir& folder, const QString& variant) {
    qputenv("Q470_LANG", language);
    InstallQtTranslations(CurrentUiLanguage());
    const QString suffix = QStringLiteral("_%1").arg(QLatin1String(language)) + variant;
    bool ok = true;

    ComConfigDlg dialog;
    ok &= GrabShown(dialog, folder, QStringLiteral("com_config_dlg") + suffix);

    GeneralInfoPage initialPage;
    ok &= GrabShown(initialPage, folder, QStringLiteral("general_info_page_initial") + suffix);

    GeneralInfoPage general;
    general.SetGeneralSettings(DefaultQ470RGeneral());
    general.EnableControls(true);
    ok &= GrabShown(general, folder, QStringLiteral("general_info_page") + suffix);

    GpioConfigPage gpio;
    gpio.SetGpioSettings(DefaultQ470RGpio());
    gpio.EnableControls(true);
    ok &= GrabShown(gpio, folder, QStringLiteral("gpio_config_page") + suffix);

    // The longest item texts, to check that nothing is cut off.
    GpioConfigPage mixed;
    mixed.SetGpioSettings(MixedGpio());
    mixed.EnableControls(true);
    ok &= GrabShown(mixed, folder, QStringLiteral("gpio_config_page_mixed") + suffix);

    CAboutDlg about;
    ok &= GrabShown(about, folder, QStringLiteral("about_dlg") + suffix);
    ok &= RenderQtBoxes(folder, suffix);
    ok &= RenderMessages(folder, suffix);

    ScriptedUiServices services;
    SetUiServices(&services);
    ok &= RenderClosedWindow(services, folder, suffix);
    ok &= RenderMainWindow(sim::ModemModel::Q470R, QStringLiteral("main_window_q470r"), folder, suffix);
    ok &= RenderMainWindow(sim::ModemModel::KS410, QStringLiteral("main_window_ks410"), folder, suffix);
    SetUiServices(nullptr);
    return ok;
}

// Every icon size at its own size and enlarged to about 128 pixels, and the toolbar strip at its own size
// and enlarged, on a light and on a dark ground, for judging the drawings pixel by pixel.
QPixmap ArtworkPreview() {
    const QIcon icon = AppIcon();
    const QList<QSize> sizes = icon.availableSizes();
    const QPixmap strip = ToolbarStrip();
    const auto zoomFor = [](const QSize& size) { return std::max(1, kPreviewZoomedSizePx / size.width()); };
    int width = kPreviewMarginPx;
    for (const QSize& size : sizes) width += size.width() * (1 + zoomFor(size)) + 2 * kPreviewMarginPx;
    width = std::max(width, strip.width() * (1 + kPreviewStripZoom) + 3 * kPreviewMarginPx);
    const int iconBand = kPreviewZoomedSizePx + 2 * kPreviewMarginPx;
    const int stripBand = strip.height() * kPreviewStripZoom + 2 * kPreviewMarginPx;
    const int bandHeight = iconBand + stripBand;
    QPixmap preview(width, 2 * bandHeight);
    QPainter painter(&preview);
    const std::array<QColor, 2> grounds{QColor(0xf4, 0xf4, 0xf4), QColor(0x30, 0x30, 0x30)};
    for (int band = 0; band < 2; ++band) {
        const int top = band * bandHeight + kPreviewMarginPx;
        painter.fillRect(0, band * bandHeight, width, bandHeight, grounds[band]);
        int x = kPreviewMarginPx;
        for (const QSize& size : sizes) {
            const QPixmap image = icon.pixmap(size);
            painter.drawPixmap(x, top, image);
            x += size.width() + kPreviewMarginPx;
            painter.drawPixmap(QRect(QPoint(x, top), size * zoomFor(size)), image);
            x += size.width() * zoomFor(size) + kPreviewMarginPx;
        }
        const int stripTop = top + iconBand;
        painter.drawPixmap(kPreviewMarginPx, stripTop, strip);
        painter.drawPixmap(
            QRect(QPoint(strip.width() + 2 * kPreviewMarginPx, stripTop), strip.size() * kPreviewStripZoom), strip);
    }
    return preview;
}

bool RenderArtwork(const QDir& folder, const QString& suffix) {
    bool ok = Save(ToolbarStrip(), folder, QStringLiteral("toolbar_strip") + suffix);
    const QIcon icon = AppIcon();
    for (const QSize& size : icon.availableSizes()) {
        ok &= Save(icon.pixmap(size), folder, QStringLiteral("app_icon_%1").arg(size.width()) + suffix);
    }
    ok &= Save(ArtworkPreview(), folder, QStringLiteral("artwork_preview") + suffix);
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    const Options options = ParseOptions(argc, argv);
    if (!options.valid) {
        std::fprintf(stderr, "usage: q470-screenshots <output folder> [--scale FACTOR] [--dark]\n");
        return 2;
    }
    if (!options.scale.isEmpty()) qputenv("QT_SCALE_FACTOR", options.scale);
    QApplication app(argc, argv);
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Q470 Manager"));
    if (options.dark) UseDarkPalette();
    const QDir folder(options.folder);
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder.path()));
        return 1;
    }
    // Read the connection defaults from an empty profile, never from the user's own.
    QTemporaryDir profile;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile.path());
    // Stands in for a USB serial adapter, so the port list shows a typical entry.
    RegisterRuntimePort("/dev/ttyUSB0");

    bool ok = RenderLanguage("ko", folder, options.Suffix());
    ok &= RenderLanguage("en", folder, options.Suffix());
    ok &= RenderArtwork(folder, options.Suffix());
    return ok ? 0 : 1;
}
