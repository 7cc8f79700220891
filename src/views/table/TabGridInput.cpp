// SPDX-License-Identifier: GPL-3.0-or-later
// CTabGrid: clicks on the gripper and on the graph's links, right clicks,
// the context menu, keys, in-place edits, expanding and collapsing.
#include "views/table/TabGrid.h"

#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

#include "controls/GridCtrl.h"
#include "controls/MessageBox.h"
#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "platform/Text.h"
#include "views/dialogs/CommentDlg.h"
#include "views/dialogs/DateTimeDlg.h"
#include "views/table/GridCellDetailGripper.h"
#include "views/dialogs/LimitEditor.h"
#include "views/MenuIcons.h"
#include "views/dialogs/SeriesNotAddedDlg.h"
#include "views/summary/SummaryBridge.h"
#include "views/ViewStrings.h"
#include "views/ViewText.h"

using ViewText::Load;

namespace {

constexpr int kExpandProgressEvery = 11;

} // namespace

void CTabGrid::OnCellClicked(int row, int col, int clickType, const QPoint& local)
{
    if (m_doc == nullptr || clickType != CGridCtrl::clickLeft || col != 0 || IsDetailRow(row))
        return;
    const int s = SeriesOfRow(row);
    if (s < 0 || s >= m_doc->GetCount() || m_lastCount != m_doc->GetCount())
        return;
    switch (CGridCellDetailGripper::HitTest(local, m_grid->GetRowHeight(row))) {
    case CGridCellDetailGripper::hitExpand:
        ToggleExpanded(s, true);
        break;
    case CGridCellDetailGripper::hitTick:
        ToggleInSummary(s);
        break;
    default:
        break;
    }
}

void CTabGrid::ToggleExpanded(int s, bool animate)
{
    if (m_doc == nullptr || s < 0 || s >= m_doc->GetCount())
        return;
    FlushPendingRefill();
    const bool expand = !m_doc->GetExpanded(s);
    m_doc->SetExpanded(s, expand);
    if (CGridCellDetailGripper* gripper = Gripper(s))
        gripper->SetExpanded(expand);
    CGridCellSeries* cell = SeriesCell(s);
    if (cell == nullptr)
        return;
    if (expand)
        cell->Expand(!animate, GraphWidth());
    else
        cell->Collapse(!animate);
    m_grid->SetRowHeight(DetailRow(s), cell->GetCurrentHeight());
    m_grid->RedrawRow(ValueRow(s));
    if (cell->IsAnimating())
        StartAnimation(s);
}

void CTabGrid::SyncSummaryTicks()
{
    for (int s = 0; s < m_doc->GetCount() && s < m_lastCount; ++s) {
        if (CGridCellDetailGripper* gripper = Gripper(s))
            gripper->SetTicked(m_doc->GetInSummary(s));
    }
    m_grid->RedrawAll();
}

void CTabGrid::ToggleInSummary(int s)
{
    if (m_doc == nullptr || s < 0 || s >= m_doc->GetCount())
        return;
    FlushPendingRefill();
    const int count = m_doc->GetCount();
    std::vector<bool> before(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        before[static_cast<size_t>(i)] = m_doc->GetInSummary(i);
    const bool wanted = !before[static_cast<size_t>(s)];
    m_doc->SetInSummary(s, wanted);
    // The summary refuses series of the other kind (Q or R) than those in it.
    SummaryBridge::Build(*m_doc);
    SyncSummaryTicks();
    bool changed = false;
    for (int i = 0; i < count && !changed; ++i)
        changed = m_doc->GetInSummary(i) != before[static_cast<size_t>(i)];
    if (changed) {
        NotifyOthers(-1);
        return;
    }
    if (!m_notAddedSuppressed) {
        CSeriesNotAddedDlg dialog(this);
        dialog.exec();
        if (dialog.IsDoNotShowTicked())
            m_notAddedSuppressed = true;
    }
}

void CTabGrid::ExpandAll(bool expand)
{
    if (m_doc == nullptr)
        return;
    FlushPendingRefill();
    m_animation.stop();
    m_animating.clear();
    const int count = std::min(m_doc->GetCount(), m_lastCount);
    const int width = GraphWidth();
    const int top = m_grid->GetTopRow();
    const QByteArray caption = Load(ViewStrings::kExpanding).toUtf8();
    m_grid->SetRedraw(false);
    for (int s = 0; s < count; ++s) {
        m_doc->SetExpanded(s, expand);
        if (CGridCellDetailGripper* gripper = Gripper(s))
            gripper->SetExpanded(expand);
        if (CGridCellSeries* cell = SeriesCell(s))
            ShowDetailNow(s, *cell, expand, width);
        if ((s + 1) % kExpandProgressEvery == 0)
            emit progressText(ViewText::Q(Platform::FormatU(u"%s %d", caption.constData(), s + 1)));
    }
    // The row that was at the top stays in view there (its series' value
    // row when the top was a detail row that closed).
    const int keep = top >= 1 && m_grid->GetRowHeight(top) == 0 ? ValueRow(SeriesOfRow(top)) : top;
    m_grid->SetRedraw(true);
    if (keep >= 1)
        m_grid->SetTopRow(keep);
    UpdateStatus();
}

void CTabGrid::PostExpandAll(bool expand)
{
    // After the menu has gone: the table is painted once as it is (over
    // what the menu covered) before the loop holds the event loop.
    QMetaObject::invokeMethod(
        this,
        [this, expand] {
            if (QWidget* top = window())
                top->repaint();
            ExpandAll(expand);
        },
        Qt::QueuedConnection);
}

// --- Animation -----------------------------------------------------------------

void CTabGrid::StartAnimation(int series)
{
    m_animating.insert(series);
    if (!m_animation.isActive())
        m_animation.start();
}

void CTabGrid::OnAnimationTick()
{
    for (auto it = m_animating.begin(); it != m_animating.end();) {
        const int s = *it;
        CGridCellSeries* cell = s < m_lastCount ? SeriesCell(s) : nullptr;
        if (cell == nullptr) {
            it = m_animating.erase(it);
            continue;
        }
        cell->AnimationStep();
        m_grid->SetRowHeight(DetailRow(s), cell->GetCurrentHeight());
        if (!cell->IsAnimating())
            it = m_animating.erase(it);
        else
            ++it;
    }
    if (m_animating.empty())
        m_animation.stop();
}

void CTabGrid::OnTargetHeightChanged(int series)
{
    // Called while the grid paints: the height follows on the next tick.
    StartAnimation(series);
}

// --- Graph links ---------------------------------------------------------------

void CTabGrid::OnGraphAreaClicked(int series, int areaId, const QRect& area)
{
    // Carried out after the click has been handled: dialogs and refills must
    // not run inside the grid's mouse handling.
    QMetaObject::invokeMethod(
        this,
        [this, series, areaId, area] {
            if (m_doc == nullptr || series < 0 || series >= m_doc->GetCount())
                return;
            switch (areaId) {
            case CSeriesGraph::areaOrder:
                m_doc->SetGraphOrder(series, m_doc->GetGraphOrder(series) == 1 ? 0 : 1);
                break;
            case CSeriesGraph::areaAxis:
                m_doc->SetAutoAxis(series, !m_doc->GetAutoAxis(series));
                break;
            case CSeriesGraph::areaComment: {
                CCommentDlg dialog(this);
                dialog.SetText(m_doc->GetComment(series));
                if (dialog.exec() != QDialog::Accepted || series >= m_doc->GetCount())
                    return;
                m_doc->SetComment(series, dialog.GetText());
                break;
            }
            case CSeriesGraph::areaLower:
            case CSeriesGraph::areaUpper:
                if (!LimitEditor::Edit(this, *m_doc, {series}, areaId == CSeriesGraph::areaLower, area))
                    return;
                break;
            default:
                return;
            }
            Refill(series);
            NotifyOthers(series);
        },
        Qt::QueuedConnection);
}

// --- Right click and context menu -------------------------------------------------

void CTabGrid::OnRightClick(int row, int col, const QPoint& globalPos)
{
    if (m_doc == nullptr)
        return;
    FlushPendingRefill();
    const int s = SeriesOfRow(row);
    if (row < 1 || s < 0 || s >= m_doc->GetCount()) {
        ShowContextMenu(globalPos, false);
        return;
    }
    if (!m_grid->IsMergedCellSelected(row, col))
        SelectValueRow(s);
    if (!IsDetailRow(row)) {
        if (col == SeriesPageText::ColDateTime) {
            AdjustTimeOfSelection(s);
            return;
        }
        if (col == SeriesPageText::ColLowerLimit || col == SeriesPageText::ColUpperLimit) {
            EditLimitOfSelection(col == SeriesPageText::ColLowerLimit, -1, QRect(globalPos, QSize(1, 1)));
            return;
        }
    }
    ShowContextMenu(globalPos, true);
}

void CTabGrid::AdjustTimeOfSelection(int from)
{
    if (m_doc == nullptr || from < 0 || from >= m_doc->GetCount())
        return;
    const uint32_t stamp = m_doc->GetDateTime(from);
    CDateTimeDlg dialog(this);
    dialog.SetOldTime(stamp);
    dialog.SetNewTime(stamp);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int64_t offset = dialog.GetOffset();
    if (offset == 0)
        return;
    const std::vector<uint8_t> flags = SelectedSeries();
    for (size_t i = 0; i < flags.size(); ++i) {
        if (flags[i] == 0)
            continue;
        const int s = static_cast<int>(i);
        // Stamps stay within what the series can hold instead of wrapping.
        const int64_t moved = std::clamp<int64_t>(static_cast<int64_t>(m_doc->GetDateTime(s)) + offset, 0, 0xFFFFFFFFLL);
        m_doc->SetDateTime(s, static_cast<uint32_t>(moved));
        m_grid->SetRowNeedsPrepare(ValueRow(s), true);
    }
    m_grid->RedrawAll();
    NotifyOthers(-1);
}

void CTabGrid::EditLimitOfSelection(bool lower, int from, const QRect& near)
{
    if (m_doc == nullptr)
        return;
    const std::vector<uint8_t> flags = SelectedSeries();
    std::vector<int> series;
    for (size_t i = 0; i < flags.size(); ++i)
        if (flags[i] != 0)
            series.push_back(static_cast<int>(i));
    if (series.empty())
        return;
    // The dialog starts at the limit of the last selected series.
    if (from >= 0) {
        series.erase(std::remove(series.begin(), series.end(), from), series.end());
        series.push_back(from);
    }
    if (!LimitEditor::Edit(this, *m_doc, series, lower, near))
        return;
    for (int s : series) {
        m_grid->SetRowNeedsPrepare(ValueRow(s), true);
        m_grid->RedrawRow(DetailRow(s));
    }
    m_grid->RedrawAll();
    NotifyOthers(-1);
}

void CTabGrid::ShowContextMenu(const QPoint& globalPos, bool onCell)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("seriesContextMenu"));
    if (onCell) {
        menu.addAction(MenuIcons::Get(MenuIcons::expandAll), Load(ViewStrings::kExpandAll), this,
                       [this] { PostExpandAll(true); });
        menu.addAction(MenuIcons::Get(MenuIcons::collapseAll), Load(ViewStrings::kCollapseAll), this,
                       [this] { PostExpandAll(false); });
        menu.addSeparator();
    }
    menu.addAction(MenuIcons::Get(MenuIcons::allInSummary), Load(ViewStrings::kAllInSummary), this, [this] {
        m_doc->SetAllInSummary(true);
    });
    menu.addAction(MenuIcons::Get(MenuIcons::noneInSummary), Load(ViewStrings::kNoneInSummary), this, [this] {
        m_doc->SetAllInSummary(false);
    });
    menu.addSeparator();
    const bool selected = m_grid->HasSelection();
    QAction* cut = menu.addAction(MenuIcons::Get(MenuIcons::cut), Load(ViewStrings::kCut), this, [this] { PostCommand(cmdCut); });
    cut->setEnabled(selected);
    QAction* copy = menu.addAction(MenuIcons::Get(MenuIcons::copy), Load(ViewStrings::kCopy), this, [this] { PostCommand(cmdCopy); });
    copy->setEnabled(selected);
    QAction* paste = menu.addAction(MenuIcons::Get(MenuIcons::paste), Load(ViewStrings::kPaste), this, [this] { PostCommand(cmdPaste); });
    paste->setEnabled(m_doc->CanPaste());
    menu.addSeparator();
    QAction* remove = menu.addAction(MenuIcons::Get(MenuIcons::remove), Load(ViewStrings::kDelete), this, [this] { PostCommand(cmdDelete); });
    remove->setEnabled(selected);
    menu.exec(globalPos);
}

void CTabGrid::PostCommand(Command command)
{
    QMetaObject::invokeMethod(this, [this, command] { RunCommand(command); }, Qt::QueuedConnection);
}

// --- Keys and edits -----------------------------------------------------------------

bool CTabGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress && !m_grid->IsEditing()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrl = (key->modifiers() & Qt::ControlModifier) != 0;
        if (ctrl && key->key() == Qt::Key_C) {
            PostCommand(cmdCopy);
            return true;
        }
        if (ctrl && key->key() == Qt::Key_V) {
            PostCommand(cmdPaste);
            return true;
        }
        if (ctrl && key->key() == Qt::Key_X) {
            PostCommand(cmdCut);
            return true;
        }
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            DeleteSelection(true);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CTabGrid::OnCellEdited(int row, int col, const QString& text)
{
    const int s = SeriesOfRow(row);
    if (m_doc == nullptr || IsDetailRow(row) || col != SeriesPageText::ColRollId || s < 0 || s >= m_doc->GetCount() ||
        m_lastCount != m_doc->GetCount())
        return;
    m_doc->SetRollId(s, ViewText::U(text));
    Refill(s);
    NotifyOthers(s);
}
