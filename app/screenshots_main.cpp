// Renders the connection dialog, both pages, the main window after reading simulated devices, the
// about box and the artwork to PNG files, in Korean and English, for a person to review.
// Usage: q470-screenshots <output folder>   (run with QT_QPA_PLATFORM=offscreen)

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

#include "about_dlg.h"
#include "artwork.h"
#include "com_config_dlg.h"
#include "general_info_page.h"
#include "gpio_config_page.h"
#include "keldan_q470r_configurator_dlg.h"
#include "model_kind.h"
#include "modem_settings.h"
#include "simulated_modem.h"
#include "ui_services.h"

namespace {

using namespace q470;

constexpr int kPreviewZoomedSizePx = 128;
constexpr int kPreviewStripZoom = 4;
constexpr int kPreviewMarginPx = 8;
constexpr qint64 kReadGuardMs = 10000;

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
        ok = WaitUntilRead(window);
        if (!ok) std::fprintf(stderr, "the %s window did not finish reading\n", qPrintable(name));
        auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("tabs"));
        for (int tab = 0; ok && tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            ok &= Save(window.grab(), folder, QStringLiteral("%1_tab%2%3").arg(name).arg(tab).arg(suffix));
        }
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

bool RenderLanguage(const char* language, const QDir& folder) {
    qputenv("Q470_LANG", language);
    const QString suffix = QStringLiteral("_%1").arg(QLatin1String(language));
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

bool RenderArtwork(const QDir& folder) {
    bool ok = Save(ToolbarStrip(), folder, QStringLiteral("toolbar_strip"));
    const QIcon icon = AppIcon();
    for (const QSize& size : icon.availableSizes()) {
        ok &= Save(icon.pixmap(size), folder, QStringLiteral("app_icon_%1").arg(size.width()));
    }
    ok &= Save(ArtworkPreview(), folder, QStringLiteral("artwork_preview"));
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Q470 Manager"));
    const QStringList args = QCoreApplication::arguments();
    const QDir folder(args.size() > 1 ? args[1] : QStringLiteral("screenshots"));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder.path()));
        return 1;
    }
    // Read the connection defaults from an empty profile, never from the user's own.
    QTemporaryDir profile;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile.path());
    // Stands in for a USB serial adapter, so the port list shows a typical entry.
    RegisterRuntimePort("/dev/ttyUSB0");

    bool ok = RenderLanguage("ko", folder);
    ok &= RenderLanguage("en", folder);
    ok &= RenderArtwork(folder);
    return ok ? 0 : 1;
}
