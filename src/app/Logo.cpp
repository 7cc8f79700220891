// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Logo.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include "app/AppIcons.h"
#include "app/AppStrings.h"
#include "platform/StringTable.h"

namespace {

const QString kPicture = QStringLiteral("logo");
constexpr int kHeight = 40;

} // namespace

CLogo::CLogo(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    Retranslate();
}

QSize CLogo::sizeHint() const
{
    const QSize natural = AppIcons::NaturalSize(kPicture);
    if (!natural.isValid() || natural.height() == 0)
        return QSize(160, kHeight);
    return QSize(natural.width() * kHeight / natural.height(), kHeight);
}

void CLogo::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QSize picture = sizeHint();
    const QPoint origin((width() - picture.width()) / 2, (height() - picture.height()) / 2);
    painter.drawPixmap(origin, AppIcons::Render(kPicture, picture, devicePixelRatioF()));
}

void CLogo::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void CLogo::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked();
}

void CLogo::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        Retranslate();
    QWidget::changeEvent(event);
}

void CLogo::Retranslate()
{
    setToolTip(QString::fromStdU16String(Platform::LoadString(AppStrings::kLogoToolTip)));
}
