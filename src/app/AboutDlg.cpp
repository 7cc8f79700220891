// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppIcons.h"
#include "app/AppStrings.h"
#include "app/BrelmoraApp.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

namespace {

QString Text(uint32_t id)
{
    return QString::fromStdU16String(Platform::LoadString(id));
}

} // namespace

CAboutDlg::CAboutDlg(CBrelmoraApp& app, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDlg"));
    setWindowTitle(Text(AppStrings::kAboutTitle));
    const CFileVersionInfo& info = app.GetProgramVersionInfo();

    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcons::Render(QStringLiteral("brelmora"), QSize(64, 64), devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop);

    std::u16string product = info.GetProductName();
    if (product.empty())
        product = Platform::LoadString(AppStrings::kAppTitle);
    auto* name = new QLabel(QString::fromStdU16String(product), this);
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    name->setFont(big);

    auto* text = new QVBoxLayout;
    text->addWidget(name);
    if (!info.GetFileVersion().empty()) {
        text->addWidget(new QLabel(QString::fromStdU16String(Platform::FormatU(
                                       Platform::LoadString(AppStrings::kAboutVersion).c_str(),
                                       Platform::ToUtf8(info.GetFileVersion()).c_str())),
                                   this));
    }
    text->addWidget(new QLabel(Text(AppStrings::kAboutDescription), this));
    if (!info.GetLegalCopyright().empty())
        text->addWidget(new QLabel(QString::fromStdU16String(info.GetLegalCopyright()), this));
    text->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(Text(AppStrings::kButtonOk), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
