// SPDX-License-Identifier: GPL-3.0-or-later
// The archive window's result table: the newest state of every archived
// series that passes the filter, fetched a page at a time as the view
// scrolls (a million series cost no more than the rows on screen), sorted
// by any column in the database.
#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <vector>

#include "archive/ArchivePage.h"
#include "archive/ArchiveRecords.h"

namespace Archive {
class CLabArchive;
}

class CArchiveResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { colTime, colRollId, colSerial, colImpacts, colMean, colStdDev, colCov, colMinimum, colMaximum,
                  colLimits, colRevisions, kColumns };
    static constexpr int kPageSize = 200;

    explicit CArchiveResultModel(QObject* parent = nullptr);

    // The archive the rows come from (not owned; null: no rows).
    void SetArchive(Archive::CLabArchive* archive);
    // A new filter: the rows start again from the first page.
    void SetFilter(const Archive::SFindFilter& filter);
    const Archive::SFindFilter& Filter() const { return m_filter; }
    const Archive::SArchivedRevision* Row(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    // Reading failed (the archive's whole message); no more rows follow.
    void failed(const QString& message);

private:
    void Restart();

    Archive::CLabArchive* m_archive = nullptr;
    Archive::SFindFilter m_filter;
    Archive::SPageRequest m_order;
    std::vector<Archive::SArchivedRevision> m_rows;
    bool m_more = false;
};
