// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/dialogs/SeriesNotAddedDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "views/dialogs/DialogSupport.h"
#include "views/ViewStrings.h"
#include "views/ViewText.h"

using ViewText::Load;

CSeriesNotAddedDlg::CSeriesNotAddedDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Load(ViewStrings::kNotAddedCaption));
    auto* icon = new QLabel;
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(size, size));
    auto* text = new QLabel(Load(ViewStrings::kNotAddedText) + QStringLiteral("\n\n") + Load(ViewStrings::kNotAddedRule));
    text->setWordWrap(true);
    m_check = new QCheckBox(Load(ViewStrings::kDoNotShowAgain));
    m_check->setObjectName(DialogSupport::ControlName(2022));
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_check);
    layout->addWidget(DialogSupport::MakeButtons(this, false));
    DialogSupport::ApplyTemplateSize(this, 215, 88);
}

bool CSeriesNotAddedDlg::IsDoNotShowTicked() const
{
    return m_check->isChecked();
}
