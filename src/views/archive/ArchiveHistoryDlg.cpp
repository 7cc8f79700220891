// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/archive/ArchiveHistoryDlg.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTableWidget>

#include "data/SeriesPageText.h"
#include "data/SpreadsheetExport.h"
#include "platform/Text.h"
#include "views/ViewText.h"
#include "views/archive/ArchiveViewStrings.h"

namespace {

using namespace ArchiveViewStrings;

QString Fixed(const std::optional<double>& v, int decimals)
{
    return v ? QString::number(*v, 'f', decimals) : QString();
}

QString Time(uint32_t stamp)
{
    std::string t = SpreadsheetExport::IsoDateTime(stamp);
    if (t.size() > 10)
        t[10] = ' ';
    return QString::fromStdString(t);
}

// The fields that describe the series itself: only these are compared, the
// revision's own bookkeeping (number, time, source, login) differs anyway.
bool IsContent(int column)
{
    return column >= CArchiveHistoryDlg::colRollId;
}

} // namespace

QString CArchiveHistoryDlg::FieldText(const Archive::SArchivedRevision& r, int column)
{
    switch (column) {
    case colRevision: {
        QString text = ViewText::LoadFormat(kRevisionCaption, static_cast<long long>(r.revision));
        if (r.original)
            text += QLatin1Char(' ') + ViewText::Load(kOriginalMark);
        return text;
    }
    case colArchivedAt: return QString::fromStdString(r.archivedAt);
    case colSource: return ViewText::Q(r.source);
    case colBy: return r.host.empty() ? ViewText::Q(r.archivedBy) : ViewText::Q(r.archivedBy + u"@" + r.host);
    case colRollId: return ViewText::Q(r.rollId);
    case colComment: return ViewText::Q(r.comment);
    case colDateTime: return Time(r.dateTime);
    case colLimits:
        if (r.lowerLimit == 0 && r.upperLimit == 200)
            return ViewText::Load(kNoLimits);
        return QStringLiteral("%1-%2")
            .arg(SeriesPageText::LimitValue(r.lowerLimit))
            .arg(SeriesPageText::LimitValue(r.upperLimit));
    case colImpacts: return QString::number(r.impactCount);
    case colMean: return Fixed(r.mean, 2);
    case colStdDev: return Fixed(r.standardDeviation, 2);
    case colCov: return Fixed(r.covPercent, 1);
    case colMinimum: return Fixed(r.minimum, 1);
    case colMaximum: return Fixed(r.maximum, 1);
    default: return QString();
    }
}

CArchiveHistoryDlg::CArchiveHistoryDlg(const std::vector<Archive::SArchivedRevision>& history, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ArchiveHistory"));
    if (!history.empty())
        setWindowTitle(ViewText::LoadFormat(kHistoryTitle, Platform::ToUtf8(history.back().rollId).c_str(),
                                            static_cast<long long>(history.back().measurementId)));

    m_table = new QTableWidget(static_cast<int>(history.size()), kColumns, this);
    QStringList captions;
    for (int c = 0; c < kColumns; ++c)
        captions << ViewText::Load(kHistoryRowFirst + static_cast<uint32_t>(c));
    m_table->setHorizontalHeaderLabels(captions);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);

    const QBrush marked = palette().brush(QPalette::Highlight).color().lighter(170);
    for (size_t i = 0; i < history.size(); ++i) {
        for (int c = 0; c < kColumns; ++c) {
            const QString text = FieldText(history[i], c);
            auto* item = new QTableWidgetItem(text);
            const bool changed = i > 0 && IsContent(c) && text != FieldText(history[i - 1], c);
            item->setData(kChangedRole, changed);
            if (changed) {
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
                item->setBackground(marked);
                item->setForeground(palette().brush(QPalette::Text));
            }
            if (c >= colImpacts)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(static_cast<int>(i), c, item);
        }
    }
    m_table->resizeColumnsToContents();

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(ViewText::Load(kHistoryClose), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addWidget(new QLabel(ViewText::Load(kHistoryChanged)));
    layout->addWidget(buttons);
    resize(1000, 160 + m_table->verticalHeader()->defaultSectionSize() * static_cast<int>(history.size()));
}
