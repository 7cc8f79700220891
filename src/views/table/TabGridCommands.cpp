// SPDX-License-Identifier: GPL-3.0-or-later
// CTabGrid: the page commands (copy, cut, paste, delete, select all, copy as
// picture, print) and their enable queries.
#include "views/table/TabGrid.h"

#include <QApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

#include "controls/GridCtrl.h"
#include "controls/MessageBox.h"
#include "data/Clipboard.h"
#include "data/PaperDoc.h"
#include "data/SeriesPageText.h"
#include "platform/StringTable.h"
#include "views/print/PageFrame.h"
#include "views/print/PrintJob.h"
#include "views/PictureOutput.h"
#include "views/SystemClipboard.h"
#include "views/table/TablePrintLayout.h"
#include "views/ViewStrings.h"
#include "views/ViewText.h"

namespace {

// A picture of the selection is cut off at this height (a selection of
// thousands of rows would otherwise ask for gigabytes).
constexpr int kMaxPictureHeight = 16000;

} // namespace

void CTabGrid::RunCommand(Command command)
{
    switch (command) {
    case cmdPrint: {
        if (!PrintJob::HasPrinter()) {
            OfferPdf();
            break;
        }
        QPrinter printer(QPrinter::HighResolution);
        bool selectionOnly = false;
        if (PrintJob::AskPrinter(printer, this, m_grid->HasSelection(), selectionOnly))
            PrintTable(printer, selectionOnly);
        break;
    }
    case cmdCopy: CopySelection(); break;
    case cmdCopyPicture: CopySelectionAsPicture(); break;
    case cmdPaste: PasteSeries(); break;
    case cmdCut: CutSelection(); break;
    case cmdDelete: DeleteSelection(true); break;
    case cmdSelectAll: SelectAllCells(); break;
    }
}

bool CTabGrid::IsCommandEnabled(Command command)
{
    if (m_doc == nullptr)
        return false;
    switch (command) {
    case cmdPrint: return m_doc->HasSeries();
    case cmdCopy:
    case cmdCopyPicture:
    case cmdCut:
    case cmdDelete: return m_grid->HasSelection();
    case cmdPaste: return m_doc->CanPaste();
    case cmdSelectAll: return m_doc->HasSeries();
    }
    return false;
}

bool CTabGrid::CopySelection()
{
    if (m_doc == nullptr)
        return false;
    FlushPendingRefill();
    const std::vector<uint8_t> flags = SelectedSeries();
    // Nothing selected: the clipboard keeps what it holds.
    if (std::find(flags.begin(), flags.end(), 1) == flags.end())
        return false;
    CSystemClipboard::Clear();
    if (!m_doc->CopyToClipboard(flags))
        return false;
    // The copied series also as text, for other programs.
    QString text = ViewText::Q(SeriesPageText::HeaderLine(m_doc->IsEnergyMode()));
    for (size_t s = 0; s < flags.size(); ++s) {
        if (flags[s] != 0)
            text += ViewText::Q(SeriesPageText::SeriesLine(m_doc->GetCurrent(), static_cast<int>(s),
                                                           m_doc->IsEnergyMode(), m_dtFormat));
    }
    if (dynamic_cast<CSystemClipboard*>(&Clipboard::Process()) != nullptr)
        CSystemClipboard::AddText(text);
    return true;
}

void CTabGrid::CutSelection()
{
    if (!CopySelection())
        return;
    DeleteSelection(false);
}

void CTabGrid::PasteSeries()
{
    if (m_doc == nullptr)
        return;
    FlushPendingRefill();
    // The document notifies every view (this one too) when series came in.
    m_doc->PasteFromClipboard();
}

void CTabGrid::DeleteSelection(bool ask)
{
    if (m_doc == nullptr)
        return;
    FlushPendingRefill();
    const std::vector<uint8_t> flags = SelectedSeries();
    if (std::find(flags.begin(), flags.end(), 1) == flags.end())
        return;
    if (ask && Gui::AskYesNoCancel(Platform::LoadString(ViewStrings::kDeleteQuestion), this) != Gui::answerYes)
        return;
    const int top = m_grid->GetTopRow();
    for (int s = static_cast<int>(flags.size()) - 1; s >= 0; --s) {
        if (flags[static_cast<size_t>(s)] != 0)
            m_doc->DeleteSeries(s);
    }
    m_doc->SetChangeMark();
    m_doc->SetDataChanged(true);
    m_grid->ClearSelection();
    FillAll();
    NotifyOthers(-1);
    QMetaObject::invokeMethod(this, [this, top] { RefillAndScroll(top); }, Qt::QueuedConnection);
}

void CTabGrid::CopySelectionAsPicture()
{
    FlushPendingRefill();
    SCellRange block = m_grid->GetSelectionBounds();
    if (!block.IsValid())
        return;
    // Hidden rows take no room; a block taller than the limit is cut off,
    // and the user is told how much of the selection the picture holds.
    auto shownRows = [this](int first, int last) {
        int rows = 0;
        for (int r = first; r <= last; ++r)
            rows += m_grid->GetRowHeight(r) > 0 ? 1 : 0;
        return rows;
    };
    const int selectedRows = shownRows(block.minRow, block.maxRow);
    bool cut = false;
    int height = 0;
    for (int r = block.minRow; r <= block.maxRow; ++r) {
        const int h = m_grid->GetRowHeight(r);
        if (height + h > kMaxPictureHeight) {
            block.maxRow = std::max(block.minRow, r - 1);
            cut = true;
            break;
        }
        height += h;
    }
    const QSize size = m_grid->GetRangeSize(block);
    if (size.isEmpty())
        return;

    const auto draw = [&](QPainter& painter) {
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
        m_grid->DrawRange(painter, block, QPoint(0, 0), true);
    };
    const QByteArray svg = PictureOutput::Svg(size, draw);
    const QImage image = PictureOutput::Image(size, draw);
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/svg+xml"), svg);
    data->setImageData(image);
    CSystemClipboard::Put(data, true);
    if (cut)
        Gui::ShowMessage(Gui::messageInformation,
                         Platform::FormatU(Platform::LoadString(ViewStrings::kPictureCut).c_str(), kMaxPictureHeight,
                                           shownRows(block.minRow, block.maxRow), selectedRows),
                         this);
}

bool CTabGrid::PrintPage(QPrinter& printer, bool selectionOnly)
{
    return PrintTable(printer, selectionOnly);
}

std::vector<int> CTabGrid::PrintedColumnWidths() const
{
    std::vector<int> widths = m_grid->GetColumnWidths();
    const size_t mean = static_cast<size_t>(SeriesPageText::ColMean);
    // A mean column the user has not resized since the fill gives back
    // what the fill added, down to the width the graphs need.
    if (m_meanFill > 0 && mean < widths.size() && widths[mean] == m_meanFilledWidth) {
        const int graphs = GraphWidth();
        const int spare = std::max(0, graphs - CSeriesGraph::kMinWidth);
        widths[mean] -= std::min(m_meanFill, spare);
    }
    return widths;
}

std::vector<uint8_t> CTabGrid::PrintedSeries() const
{
    // A series prints when the cell in column 1 of its value row or of its
    // detail row is selected.
    const int count = m_doc != nullptr ? m_doc->GetCount() : 0;
    std::vector<uint8_t> flags(static_cast<size_t>(count), 0);
    if (m_lastCount != count)
        return flags;
    for (int s = 0; s < count; ++s) {
        if (m_grid->IsCellSelected(ValueRow(s), 1) || m_grid->IsCellSelected(DetailRow(s), 1))
            flags[static_cast<size_t>(s)] = 1;
    }
    return flags;
}

CTablePrintLayout::SOptions CTabGrid::PrintOptions(bool selectionOnly) const
{
    CTablePrintLayout::SOptions options;
    options.font = m_grid->font();
    options.columnWidths = PrintedColumnWidths();
    if (selectionOnly)
        options.selected = PrintedSeries();
    return options;
}

void CTabGrid::OfferPdf()
{
    if (m_doc == nullptr)
        return;
    FlushPendingRefill();
    // The PDF brelmora --print-pdf writes: every series, the columns sized
    // to their texts.
    CPaperDoc& doc = *m_doc;
    const QFont font = QApplication::font();
    PrintJob::OfferPdf(this, doc.GetUi(), doc.GetPath(), [&doc, font](QPrinter& printer) {
        CTablePrintLayout::SOptions options;
        options.font = font;
        CTablePrintLayout layout(doc, std::move(options));
        return layout.Print(printer, PageFrame::MakePrintInfo(doc));
    });
}

bool CTabGrid::PrintTable(QPrinter& printer, bool selectionOnly)
{
    if (m_doc == nullptr)
        return false;
    FlushPendingRefill();
    CTablePrintLayout layout(*m_doc, PrintOptions(selectionOnly));
    return layout.Print(printer, PageFrame::MakePrintInfo(*m_doc));
}
