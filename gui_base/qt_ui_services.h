#pragma once

#include "ui_services.h"

namespace q470 {

// The real modal windows: QMessageBox, QFileDialog and the connection dialog's own exec().
class QtUiServices : public UiServices {
public:
    MessageAnswer ShowMessage(QWidget* parent, const MessageRequest& request) override;
    QString GetOpenFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString GetSaveFileName(QWidget* parent, const FileDialogRequest& request) override;
    bool RunComConfigDlg(QDialog& dialog) override;
};

}  // namespace q470
