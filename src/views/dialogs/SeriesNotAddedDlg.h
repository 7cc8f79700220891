// SPDX-License-Identifier: GPL-3.0-or-later
// CSeriesNotAddedDlg: "Series not added to summary ...", with the box
// "Do not show this message again."; closed with OK.
#pragma once

#include <QDialog>

class QCheckBox;

class CSeriesNotAddedDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSeriesNotAddedDlg(QWidget* parent = nullptr);

    // Whether the box was ticked when the dialog closed.
    bool IsDoNotShowTicked() const;
    QCheckBox* CheckBox() const { return m_check; }

private:
    QCheckBox* m_check;
};
