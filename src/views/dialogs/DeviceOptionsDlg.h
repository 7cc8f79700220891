// SPDX-License-Identifier: GPL-3.0-or-later
// COptionsDlg: the "Device options" dialog.  It switches the option "Store
// invalid measurements as zero" inside the connected Veltrano; the check box
// always shows what the instrument reports; a refused switch on shows
// 59587, a failed line says what failed.  It opens only with an
// instrument: Open connects first (the connection wizard runs when none is
// held) and is false without one.
#pragma once

#include <QDialog>

#include "connection/DeviceOption.h"

class CPaperConnection;
class QCheckBox;
class QPushButton;
class QTimer;

class COptionsDlg : public QDialog {
    Q_OBJECT
public:
    COptionsDlg(CPaperConnection& connection, QWidget* parent = nullptr);

    // Connects and reads the option (wait cursor shown meanwhile).  False:
    // no instrument, the dialog must not be shown.
    bool Open();
    // Open, then the dialog modally; Rejected at once without an instrument.
    int Run();

    QCheckBox* OptionBox() const { return m_box; }
    // True while the dialog waits to read the option back after a switch.
    bool IsSettling() const;

private:
    void OnClicked(bool checked);
    void ReadBack();
    // A failure of the line (not a refusal by the instrument) is shown.
    void ReportLineFailure();

    CDeviceOption m_option;
    QCheckBox* m_box = nullptr;
    QPushButton* m_close = nullptr;
    QTimer* m_settle = nullptr;
};
