// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/IconStrip.h"

#include <QPainter>

CIconStrip::CIconStrip(QSize iconSize, int count, Painter draw)
    : m_size(iconSize), m_count(count), m_draw(std::move(draw))
{
}

QPixmap CIconStrip::Strip(qreal ratio) const
{
    QPixmap strip(qRound(m_size.width() * m_count * ratio), qRound(m_size.height() * ratio));
    strip.setDevicePixelRatio(ratio);
    strip.fill(Qt::transparent);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < m_count; ++k)
        m_draw(painter, k, QRect(QPoint(k * m_size.width(), 0), m_size));
    return strip;
}

QIcon CIconStrip::Icon(int index) const
{
    if (index < 0 || index >= m_count)
        return QIcon();
    QIcon icon;
    for (qreal ratio : {1.0, 2.0}) {
        const QPixmap strip = Strip(ratio);
        QPixmap one = strip.copy(qRound(index * m_size.width() * ratio), 0, qRound(m_size.width() * ratio),
                                 qRound(m_size.height() * ratio));
        one.setDevicePixelRatio(ratio);
        icon.addPixmap(one);
    }
    return icon;
}
