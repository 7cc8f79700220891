// SPDX-License-Identifier: GPL-3.0-or-later
// CToolBarExt: the main frame's tool bar with 32 x 32 pictures and, at its
// right end, the logo band.
#pragma once

#include <QToolBar>

class CLogo;

class CToolBarExt : public QToolBar {
    Q_OBJECT
public:
    explicit CToolBarExt(QWidget* parent = nullptr);

    // Puts the logo at the right end (after everything added so far).
    void AddLogo(CLogo* logo);
};
