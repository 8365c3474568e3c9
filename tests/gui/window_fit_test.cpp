#include <QApplication>
#include <QLabel>
#include <QMap>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "apply_step_text.h"
#include "com_config_dlg.h"
#include "connection_texts.h"
#include "job_code.h"
#include "keldan_q470r_configurator_dlg.h"
#include "qt_ui_services.h"
#include "string_table.h"
#include "widget_driver.h"
#include "window_rig.h"

// Run on screens of several sizes and scales (see CMakeLists.txt): whatever the screen, the window and
// its dialogs fit it, and nothing in them is squeezed, cut off or laid over something else.

namespace q470 {
namespace {

QString Describe(const QWidget& widget) {
    const QString name =
        widget.objectName().isEmpty() ? QString::fromLatin1(widget.metaObject()->className()) : widget.objectName();
    return QStringLiteral("%1 %2x%3+%4+%5")
        .arg(name)
        .arg(widget.width())
        .arg(widget.height())
        .arg(widget.x())
        .arg(widget.y());
}

QList<QWidget*> ShownChildren(const QWidget& parent) {
    QList<QWidget*> shown;
    for (QWidget* child : parent.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isVisible() && !child->isWindow()) shown << child;
    }
    return shown;
}

// Every shown widget below `root` lies inside its parent, overlaps none of its shown siblings and has at
// least the size it asks for (a widget that takes whatever room it gets aside). Empty when all is well.
QStringList LayoutFaults(const QWidget& root) {
    QStringList faults;
    const QList<QWidget*> children = ShownChildren(root);
    for (int i = 0; i < children.size(); ++i) {
        const QWidget& child = *children[i];
        if (!root.rect().contains(child.geometry())) faults << Describe(child) + QStringLiteral(" leaves its parent");
        const QSizePolicy policy = child.sizePolicy();
        const QSize wanted = child.sizeHint();
        if (policy.horizontalPolicy() != QSizePolicy::Ignored && wanted.isValid() && child.width() < wanted.width()) {
            faults << Describe(child) + QStringLiteral(" narrower than %1").arg(wanted.width());
        }
        // Wrapped text asks for the height of its lines at the width it has.
        const int wantedHeight = child.hasHeightForWidth() ? child.heightForWidth(child.width()) : wanted.height();
        if (policy.verticalPolicy() != QSizePolicy::Ignored && wanted.isValid() && child.height() < wantedHeight) {
            faults << Describe(child) + QStringLiteral(" lower than %1").arg(wantedHeight);
        }
        for (int j = i + 1; j < children.size(); ++j) {
            if (child.geometry().intersects(children[j]->geometry())) {
                faults << Describe(child) + QStringLiteral(" overlaps ") + Describe(*children[j]);
            }
        }
        faults << LayoutFaults(child);
    }
    return faults;
}

// Sizes of the named controls of the pages and the identity box.
QMap<QString, QSize> ControlSizes(const QWidget& content) {
    QMap<QString, QSize> sizes;
    for (const QWidget* widget : content.findChildren<QWidget*>()) {
        if (!widget->objectName().isEmpty() && !widget->objectName().startsWith(QStringLiteral("qt_"))) {
            sizes.insert(widget->objectName(), widget->size());
        }
    }
    return sizes;
}

QSize Available(const QWidget& widget) {
    return widget.screen()->availableGeometry().size();
}

bool Fits(const QWidget& window) {
    const QSize room = Available(window);
    return window.frameGeometry().width() <= room.width() && window.frameGeometry().height() <= room.height();
}

void Settle() {
    QCoreApplication::processEvents();
    QTest::qWait(20);
}

// The title is not cut: the window leaves room for it beside the title bar's icon and buttons (Qt's own
// rule for message boxes).
bool TitleFits(const QWidget& window) {
    const QFontMetrics metrics(QApplication::font("QMdiSubWindowTitleBar"));
    constexpr int kTitleBarButtonsPx = 50;
    return metrics.horizontalAdvance(window.windowTitle()) + kTitleBarButtonsPx <= window.width();
}

// The longest failure an apply can report: every GPIO pin taken, the report refused.
ApplyTrail LongTrail() {
    ApplyTrail trail;
    trail.acknowledged.push_back({CmdQuietModeSet, "AT+QM=0"});
    for (int pin = 0; pin < 13; ++pin) {
        trail.acknowledged.push_back(
            {CmdGpioConfigSet,
             QStringLiteral("AT+GPIOC=%1,1,1").arg(1 << pin, 4, 16, QLatin1Char('0')).toUpper().toStdString()});
    }
    trail.failed = AppliedStep{CmdGpioPeriodicSet, "AT+GPIOP=60000,1"};
    return trail;
}

}  // namespace

class WindowFitTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QGuiApplication::setApplicationDisplayName(QStringLiteral("Q470 Manager")); }
    void init() { qputenv("Q470_LANG", "ko"); }

    // The window opens within the screen, goes down to 640 x 480 with the pages scrolling, and when
    // maximised keeps the pages' shape; the status bar always shows.
    void mainWindowFitsAnyScreen_data() {
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<int>("model");
        QTest::newRow("ko, Q470R") << QByteArray("ko") << int(sim::ModemModel::Q470R);
        QTest::newRow("en, KELDAN-KS410") << QByteArray("en") << int(sim::ModemModel::KS410);
    }

    void mainWindowFitsAnyScreen() {
        QFETCH(QByteArray, language);
        QFETCH(int, model);
        qputenv("Q470_LANG", language);
        WindowRig rig(ModemOf(static_cast<sim::ModemModel>(model)));
        QVERIFY(rig.Connect());
        CKeldanQ470RConfiguratorDlg& window = *rig.window;
        Settle();
        QVERIFY2(Fits(window), qPrintable(Describe(window)));
        auto& area = Child<QScrollArea>(window, "pageScrollArea");
        QWidget& content = *area.widget();
        auto& tabs = Child<QTabWidget>(window, "tabs");

        window.resize(640, 480);
        Settle();
        QCOMPARE(window.size(), QSize(640, 480));
        for (int tab = 0; tab < tabs.count(); ++tab) {
            tabs.setCurrentIndex(tab);
            Settle();
            const QStringList faults = LayoutFaults(content);
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("\n"))));
            // Whatever does not fit is reached by scrolling.
            auto& apply = Child<QWidget>(*tabs.currentWidget(), "applyButton");
            area.ensureWidgetVisible(&apply);
            const QRect shown(apply.mapTo(area.viewport(), QPoint(0, 0)), apply.size());
            QVERIFY2(area.viewport()->rect().contains(shown), qPrintable(Describe(apply)));
        }
        QVERIFY(window.statusBar()->isVisible());
        QVERIFY(window.rect().contains(window.statusBar()->geometry()));

        tabs.setCurrentIndex(0);
        window.resize(window.sizeHint());
        Settle();
        const QMap<QString, QSize> natural = ControlSizes(content);
        window.showMaximized();
        QTRY_VERIFY(window.width() >= Available(window).width() * 9 / 10);
        Settle();
        QCOMPARE(ControlSizes(content), natural);

        // The notice that the values were read earlier takes the pages' width, not more.
        window.Disconnect();
        Settle();
        QVERIFY(Child<QLabel>(window, "staleNotice").isVisible());
        const QStringList faults = LayoutFaults(content);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("\n"))));
        QCOMPARE(tabs.size(), natural.value(QStringLiteral("tabs")));
        qputenv("Q470_LANG", "ko");
    }

    // The connection dialog and the new message boxes fit the screen with their titles whole, in both
    // languages.
    void dialogsFitAnyScreen_data() {
        QTest::addColumn<QByteArray>("language");
        QTest::newRow("ko") << QByteArray("ko");
        QTest::newRow("en") << QByteArray("en");
    }

    void dialogsFitAnyScreen() {
        QFETCH(QByteArray, language);
        qputenv("Q470_LANG", language);
        RegisterRuntimePort("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3X8Q-if00-port0");
        ComConfigDlg dialog;
        dialog.show();
        Settle();
        QVERIFY2(Fits(dialog), qPrintable(Describe(dialog)));
        QVERIFY2(TitleFits(dialog), qPrintable(dialog.windowTitle()));
        dialog.reject();
        UnregisterRuntimePort("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3X8Q-if00-port0");

        const std::vector<MessageRequest> boxes{
            {PortLostText(QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3X8Q-if00-port0"),
                          std::make_error_code(std::errc::io_error)),
             MessageCaption(), MessageIcon::Error, MessageButtons::Ok},
            {PortOpenErrorText(std::make_error_code(std::errc::permission_denied)), MessageCaption(),
             MessageIcon::Error, MessageButtons::Ok},
            {FormatText(UiText::FactoryResetConfirm, "KELDAN-KS410", "00:12:4B:00:1A:2B:3C:4D"),
             Text(UiText::FactoryResetButton), MessageIcon::Warning, MessageButtons::YesNo},
            {WithDetails(Text(UiText::ApplyGpioFailed), ApplyTrailInWords(LongTrail(), JobApplyGpio)), MessageCaption(),
             MessageIcon::Error, MessageButtons::Ok},
        };
        QtUiServices services;
        for (const MessageRequest& request : boxes) {
            QString fault = QStringLiteral("not shown");
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (box == nullptr) return;
                fault = !Fits(*box) ? Describe(*box) : !TitleFits(*box) ? box->windowTitle() : QString();
                box->done(0);
            });
            services.ShowMessage(nullptr, request);
            QVERIFY2(fault.isEmpty(), qPrintable(fault + QStringLiteral(": ") + request.text));
        }
        qputenv("Q470_LANG", "ko");
    }
};

}  // namespace q470

QTEST_MAIN(q470::WindowFitTest)
#include "window_fit_test.moc"
