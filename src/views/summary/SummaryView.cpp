// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/summary/SummaryView.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include "views/ColorScheme.h"

CSummaryView::CSummaryView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("summaryView"));
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    UpdateScrollSize();
}

void CSummaryView::SetData(SSummaryViewData data)
{
    // Another number of entries forgets the remembered list height.
    if (data.entries.size() != m_data.entries.size())
        m_memory.Forget();
    m_data = std::move(data);
    m_areas.clear();
    m_hovered = CSummaryDrawing::areaNone;
    UpdateScrollSize();
    viewport()->update();
}

SummaryLayout::SPlacement CSummaryView::Layout()
{
    QImage image(1, 1, QImage::Format_RGB32);
    QPainter painter(&image);
    CSummaryDrawing::SStyle style;
    style.font = font();
    return CSummaryDrawing::Paint(painter, m_data, ClientWidth(), style, true, m_memory, nullptr);
}

void CSummaryView::UpdateScrollSize()
{
    if (m_data.IsEmpty()) {
        m_scrollSize = QSize(kInitialScrollSize, kInitialScrollSize);
    } else {
        const SummaryLayout::SSize size = SummaryLayout::ScrollSize(Layout().extent);
        m_scrollSize = QSize(size.width, size.height);
    }
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, m_scrollSize.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, std::max(0, m_scrollSize.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(20);
}

QPoint CSummaryView::Offset() const
{
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CSummaryView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (event->oldSize().width() != event->size().width())
        m_memory.Forget();
    UpdateScrollSize();
}

void CSummaryView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CSummaryView::paintEvent(QPaintEvent*)
{
    QWidget* target = viewport();
    const qreal ratio = target->devicePixelRatioF();
    QImage buffer(target->size() * ratio, QImage::Format_ARGB32_Premultiplied);
    buffer.setDevicePixelRatio(ratio);
    buffer.fill(CColorScheme::GraphBackground());
    {
        QPainter painter(&buffer);
        const QPoint offset = Offset();
        painter.translate(-offset);
        CSummaryDrawing::SStyle style;
        style.font = font();
        style.hovered = m_hovered;
        style.visible = QRect(offset, target->size());
        CSummaryDrawing::Paint(painter, m_data, ClientWidth(), style, false, m_memory, &m_areas);
    }
    QPainter screen(target);
    screen.drawImage(QPoint(0, 0), buffer);
}

void CSummaryView::DrawAll(QPainter& painter, int clientWidth)
{
    CSummaryDrawing::SStyle style;
    style.font = font();
    style.printing = true;
    CSummaryDrawing::Paint(painter, m_data, clientWidth, style, false, m_memory, nullptr);
}

bool CSummaryView::IsLink(int id)
{
    return id == CSummaryDrawing::areaOrder || id == CSummaryDrawing::areaComment;
}

const SSummaryArea* CSummaryView::AreaAt(const QPoint& viewportPos) const
{
    const QPoint at = viewportPos + Offset();
    for (const SSummaryArea& area : m_areas)
        if (IsLink(area.id) && area.rect.contains(at))
            return &area;
    for (const SSummaryArea& area : m_areas)
        if (area.rect.contains(at))
            return &area;
    return nullptr;
}

bool CSummaryView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const SSummaryArea* area = AreaAt(help->pos());
        const QString tip = area != nullptr ? CSummaryDrawing::ToolTip(m_data, *area) : QString();
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void CSummaryView::mouseMoveEvent(QMouseEvent* event)
{
    const SSummaryArea* area = AreaAt(event->position().toPoint());
    const int id = area != nullptr && IsLink(area->id) ? area->id : CSummaryDrawing::areaNone;
    viewport()->setCursor(id != CSummaryDrawing::areaNone ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (id != m_hovered) {
        m_hovered = id;
        viewport()->update();
    }
    QAbstractScrollArea::mouseMoveEvent(event);
}

void CSummaryView::leaveEvent(QEvent* event)
{
    if (m_hovered != CSummaryDrawing::areaNone) {
        m_hovered = CSummaryDrawing::areaNone;
        viewport()->update();
    }
    QAbstractScrollArea::leaveEvent(event);
}

void CSummaryView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const SSummaryArea* area = AreaAt(event->position().toPoint());
        if (area != nullptr && IsLink(area->id)) {
            const int id = area->id;
            QRect global = area->rect.translated(-Offset());
            global.moveTopLeft(viewport()->mapToGlobal(global.topLeft()));
            m_hovered = CSummaryDrawing::areaNone;
            emit linkClicked(id, global);
            return;
        }
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void CSummaryView::contextMenuEvent(QContextMenuEvent* event)
{
    // The scroll area passes the viewport's events on: positions are the viewport's.
    const SSummaryArea* area = AreaAt(event->pos());
    const int entry = area != nullptr && area->id == CSummaryDrawing::areaBar ? area->entry : -1;
    emit contextMenuRequested(event->globalPos(), entry);
}
