// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the dialogs: dialog units, the OK/Cancel row with texts
// from the string table, control names by id and the wait cursor.
#pragma once

#include <QSize>
#include <QString>

class QDialog;
class QDialogButtonBox;
class QWidget;

namespace DialogSupport {

// A size given in dialog units, in pixels of the widget's font (a dialog
// unit is a quarter of the average character width across and an eighth of
// the character height down).
QSize FromDialogUnits(const QWidget* widget, int width, int height);

// Gives `dialog` the size of its template (in dialog units of the dialog's
// font), at least the size its layout needs.  Call after the layout is set.
void ApplyTemplateSize(QDialog* dialog, int width, int height);

// OK (default) and, when asked for, Cancel; connected to accept and reject.
QDialogButtonBox* MakeButtons(QDialog* dialog, bool withCancel);

// The object name of a control with a template id ("ctl2061").
QString ControlName(int id);

// Shows the wait cursor while it lives (an exchange with the instrument).
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

} // namespace DialogSupport
