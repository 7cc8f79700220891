// SPDX-License-Identifier: GPL-3.0-or-later
// CAboutDlg: the About box, filled from the program's version record.
#pragma once

#include <QDialog>

class CBrelmoraApp;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(CBrelmoraApp& app, QWidget* parent = nullptr);
};
