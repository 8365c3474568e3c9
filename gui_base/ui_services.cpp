#include "ui_services.h"

#include <QGuiApplication>

#include "qt_ui_services.h"

namespace q470 {
namespace {

UiServices*& InstalledServices() {
    static UiServices* services = nullptr;
    return services;
}

}  // namespace

UiServices& CurrentUiServices() {
    static QtUiServices qtServices;
    UiServices* installed = InstalledServices();
    return installed != nullptr ? *installed : qtServices;
}

void SetUiServices(UiServices* services) {
    InstalledServices() = services;
}

QString MessageCaption() {
    return QGuiApplication::applicationDisplayName();
}

MessageAnswer ShowMessageBox(QWidget* parent, const QString& text, MessageIcon icon, MessageButtons buttons) {
    return CurrentUiServices().ShowMessage(parent, {text, MessageCaption(), icon, buttons});
}

}  // namespace q470
