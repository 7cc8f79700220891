// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/archive/ArchiveResultModel.h"

#include <QBrush>

#include "archive/ArchiveError.h"
#include "archive/LabArchive.h"
#include "data/SeriesPageText.h"
#include "data/SpreadsheetExport.h"
#include "views/ColorScheme.h"
#include "views/ViewText.h"
#include "views/archive/ArchiveViewStrings.h"

namespace {

bool WithoutLimits(const Archive::SArchivedRevision& r)
{
    return r.lowerLimit == 0 && r.upperLimit == 200;
}

double Lower(const Archive::SArchivedRevision& r)
{
    return SeriesPageText::LimitValue(r.lowerLimit);
}

double Upper(const Archive::SArchivedRevision& r)
{
    return SeriesPageText::LimitValue(r.upperLimit);
}

// The value of a cell lies outside the series' limits.
bool Outside(const Archive::SArchivedRevision& r, int column)
{
    if (WithoutLimits(r))
        return false;
    const auto out = [&](const std::optional<double>& v) { return v && (*v < Lower(r) || *v > Upper(r)); };
    switch (column) {
    case CArchiveResultModel::colMean: return out(r.mean);
    case CArchiveResultModel::colMinimum: return out(r.minimum);
    case CArchiveResultModel::colMaximum: return out(r.maximum);
    default: return false;
    }
}

QVariant Fixed(const std::optional<double>& v, int decimals)
{
    return v ? QVariant(QString::number(*v, 'f', decimals)) : QVariant();
}

} // namespace

CArchiveResultModel::CArchiveResultModel(QObject* parent) : QAbstractTableModel(parent) {}

void CArchiveResultModel::SetArchive(Archive::CLabArchive* archive)
{
    m_archive = archive;
    Restart();
}

void CArchiveResultModel::SetFilter(const Archive::SFindFilter& filter)
{
    m_filter = filter;
    Restart();
}

void CArchiveResultModel::Restart()
{
    beginResetModel();
    m_rows.clear();
    m_more = m_archive != nullptr;
    endResetModel();
    if (m_more)
        fetchMore(QModelIndex());
}

const Archive::SArchivedRevision* CArchiveResultModel::Row(int row) const
{
    return row >= 0 && static_cast<size_t>(row) < m_rows.size() ? &m_rows[static_cast<size_t>(row)] : nullptr;
}

int CArchiveResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CArchiveResultModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(kColumns);
}

QVariant CArchiveResultModel::data(const QModelIndex& index, int role) const
{
    const Archive::SArchivedRevision* r = Row(index.row());
    if (r == nullptr)
        return QVariant();
    const int column = index.column();
    if (role == Qt::BackgroundRole && Outside(*r, column))
        return QBrush(CColorScheme::RangeOutside(false));
    if (role == Qt::ForegroundRole && Outside(*r, column))
        return QBrush(Qt::white);
    if (role == Qt::TextAlignmentRole)
        return column == colRollId || column == colSerial ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                                          : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (column) {
    case colTime: {
        std::string t = SpreadsheetExport::IsoDateTime(r->dateTime);
        t[10] = ' ';
        return QString::fromStdString(t);
    }
    case colRollId: return ViewText::Q(r->rollId);
    case colSerial: return ViewText::Q(r->serial);
    case colImpacts: return r->impactCount;
    case colMean: return Fixed(r->mean, 2);
    case colStdDev: return Fixed(r->standardDeviation, 2);
    case colCov: return Fixed(r->covPercent, 1);
    case colMinimum: return Fixed(r->minimum, 1);
    case colMaximum: return Fixed(r->maximum, 1);
    case colLimits:
        return WithoutLimits(*r) ? ViewText::Load(ArchiveViewStrings::kNoLimits)
                                 : QStringLiteral("%1-%2").arg(Lower(*r)).arg(Upper(*r));
    case colRevisions: return static_cast<qlonglong>(r->revisions);
    default: return QVariant();
    }
}

QVariant CArchiveResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    return ViewText::Load(ArchiveViewStrings::kColumnFirst + static_cast<uint32_t>(section));
}

void CArchiveResultModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= kColumns)
        return;
    m_order.column = static_cast<Archive::EFindColumn>(column);
    m_order.descending = order == Qt::DescendingOrder;
    Restart();
}

bool CArchiveResultModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_more;
}

void CArchiveResultModel::fetchMore(const QModelIndex& parent)
{
    if (parent.isValid() || !m_more || m_archive == nullptr)
        return;
    Archive::SPageRequest page = m_order;
    page.offset = static_cast<int64_t>(m_rows.size());
    page.count = kPageSize;
    std::vector<Archive::SArchivedRevision> rows;
    try {
        rows = m_archive->FindPage(m_filter, page);
    } catch (const Archive::CArchiveError& e) {
        m_more = false;
        emit failed(QString::fromUtf8(e.what()));
        return;
    }
    m_more = static_cast<int>(rows.size()) == kPageSize;
    if (rows.empty())
        return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
    for (auto& r : rows)
        m_rows.push_back(std::move(r));
    endInsertRows();
}
