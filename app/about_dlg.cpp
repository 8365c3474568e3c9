#include "about_dlg.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "artwork.h"
#include "string_table.h"

namespace q470 {
namespace {

constexpr int kAboutIconSizePx = 48;

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Text(UiText::AboutTitle));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(AppIcon().pixmap(kAboutIconSizePx, kAboutIconSizePx));
    icon->setAlignment(Qt::AlignTop);
    auto* name = new QLabel(Text(UiText::AboutProductName), this);
    name->setObjectName(QStringLiteral("productName"));
    QFont nameFont = name->font();
    nameFont.setBold(true);
    name->setFont(nameFont);
    auto* notice = new QLabel(Text(UiText::AboutNotice), this);
    notice->setObjectName(QStringLiteral("makerNotice"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(notice);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(top->spacing() * 2);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(Text(UiText::OkButton), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace q470
