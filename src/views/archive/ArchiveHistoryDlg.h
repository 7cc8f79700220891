// SPDX-License-Identifier: GPL-3.0-or-later
// History: every archived revision of one measurement side by side, one row
// per revision (oldest first), each field a column.  A field whose value
// differs from the revision before is marked (bold, highlighted, and
// kChangedRole true) so an edit stands out at a glance.
#pragma once

#include <QDialog>

#include <vector>

#include "archive/ArchiveRecords.h"

class QTableWidget;

class CArchiveHistoryDlg : public QDialog {
    Q_OBJECT
public:
    enum EColumn {
        colRevision, colArchivedAt, colSource, colBy, colRollId, colComment, colDateTime, colLimits,
        colImpacts, colMean, colStdDev, colCov, colMinimum, colMaximum, kColumns
    };
    // The item data role that is true on a changed field.
    static constexpr int kChangedRole = Qt::UserRole + 1;

    CArchiveHistoryDlg(const std::vector<Archive::SArchivedRevision>& history, QWidget* parent = nullptr);

    QTableWidget* Table() const { return m_table; }
    // The text of one field of a revision as the table shows it.
    static QString FieldText(const Archive::SArchivedRevision& r, int column);

private:
    QTableWidget* m_table = nullptr;
};
