#pragma once

#include <QDialog>

namespace q470 {

// The about box: the program's icon, its name, the maker's notice and OK.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace q470
