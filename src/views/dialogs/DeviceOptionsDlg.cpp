// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/dialogs/DeviceOptionsDlg.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/MessageBox.h"
#include "platform/StringTable.h"
#include "views/dialogs/DeviceDialogStrings.h"
#include "views/dialogs/DialogSupport.h"
#include "views/ViewText.h"

using namespace DeviceDialogStrings;
using DialogSupport::CWaitCursor;

namespace {

// The dialog's size in dialog units.
constexpr int kWidthDu = 186;
constexpr int kHeightDu = 54;

} // namespace

COptionsDlg::COptionsDlg(CPaperConnection& connection, QWidget* parent) : QDialog(parent), m_option(connection)
{
    setObjectName(QStringLiteral("deviceOptions"));
    setWindowTitle(ViewText::Load(kOptionsCaption));
    m_box = new QCheckBox(ViewText::Load(kOptionText), this);
    m_box->setObjectName(QStringLiteral("option"));
    m_close = new QPushButton(ViewText::Load(kOptionsClose), this);
    m_close->setObjectName(QStringLiteral("close"));
    m_close->setDefault(true);
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(CDeviceOption::kSettleMs);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_box);
    layout->addStretch(1);
    layout->addLayout(buttons);
    DialogSupport::ApplyTemplateSize(this, kWidthDu, kHeightDu);

    connect(m_box, &QCheckBox::clicked, this, &COptionsDlg::OnClicked);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_settle, &QTimer::timeout, this, &COptionsDlg::ReadBack);
}

bool COptionsDlg::Open()
{
    CWaitCursor wait;
    bool on = false;
    if (!m_option.Open(on))
        return false;
    m_box->setChecked(on);
    ReportLineFailure();
    return true;
}

void COptionsDlg::ReportLineFailure()
{
    if (m_option.IsLineFailure())
        Gui::ShowMessage(Gui::messageError, m_option.FailureText(), this);
}

int COptionsDlg::Run()
{
    if (!Open())
        return QDialog::Rejected;
    return exec();
}

bool COptionsDlg::IsSettling() const
{
    return m_settle->isActive();
}

void COptionsDlg::OnClicked(bool checked)
{
    m_box->setChecked(false);
    CDeviceOption::ESwitch result;
    {
        CWaitCursor wait;
        result = m_option.Switch(checked);
    }
    if (result == CDeviceOption::ESwitch::NoDevice)
        return;
    if (result == CDeviceOption::ESwitch::NotSupported) {
        Gui::ShowMessage(Gui::messageWarning, Platform::LoadString(kOptionNotSupported), this);
        return;
    }
    // A line that fails is no sign of old firmware: say what failed.
    if (result == CDeviceOption::ESwitch::Failed) {
        ReportLineFailure();
        return;
    }
    // The instrument reports the new state only after a pause; the box is
    // locked until it is read back, so a second click cannot overtake it.
    m_box->setEnabled(false);
    m_settle->start();
}

void COptionsDlg::ReadBack()
{
    bool on = false;
    {
        CWaitCursor wait;
        m_option.Read(on);
    }
    m_box->setChecked(on);
    m_box->setEnabled(true);
    ReportLineFailure();
}
