// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ToolBarExt.h"

#include <QHBoxLayout>
#include <QWidget>

#include "app/Logo.h"

CToolBarExt::CToolBarExt(QWidget* parent) : QToolBar(parent)
{
    setObjectName(QStringLiteral("MainToolBar"));
    setIconSize(QSize(32, 32));
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void CToolBarExt::AddLogo(CLogo* logo)
{
    auto* spacer = new QWidget(this);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    addWidget(spacer);
    auto* holder = new QWidget(this);
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(8, 0, 6, 0);
    layout->addWidget(logo);
    addWidget(holder);
}
