// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/dialogs/LimitDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

#include "views/dialogs/DialogSupport.h"
#include "views/ViewStrings.h"
#include "views/ViewText.h"

namespace {

// The program's own cursor over the dialog: an arrow with a small
// up-and-down mark, drawn rather than loaded.
QCursor LimitCursor()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF arrow[] = {{1, 1}, {1, 17}, {5, 13}, {8, 20}, {10.5, 19}, {7.5, 12}, {13, 12}};
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(Qt::black);
    p.drawPolygon(arrow, 7);
    p.setPen(QPen(QColor(0, 111, 127), 2));
    p.drawLine(QPointF(20, 8), QPointF(20, 24));
    p.drawLine(QPointF(16, 12), QPointF(20, 8));
    p.drawLine(QPointF(24, 12), QPointF(20, 8));
    p.drawLine(QPointF(16, 20), QPointF(20, 24));
    p.drawLine(QPointF(24, 20), QPointF(20, 24));
    p.end();
    return QCursor(pixmap, 1, 1);
}

} // namespace

CLimitDlg::CLimitDlg(QWidget* parent) : QDialog(parent)
{
    using DialogSupport::ControlName;
    m_caption = new QLabel(this);
    m_caption->setObjectName(ControlName(2070));
    m_maxLabel = new QLabel(this);
    m_maxLabel->setObjectName(ControlName(2071));
    m_minLabel = new QLabel(this);
    m_minLabel->setObjectName(ControlName(2072));
    m_slider = new QSlider(Qt::Vertical, this);
    m_slider->setObjectName(ControlName(2068));
    m_slider->setTickPosition(QSlider::TicksBothSides);
    m_slider->setTickInterval(10);
    m_slider->setPageStep(10);
    // Position 0 at the top: the top is the maximum value.
    m_slider->setInvertedAppearance(true);
    m_slider->setInvertedControls(true);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(ControlName(2061));
    m_edit->setMaxLength(12);

    auto* sliderColumn = new QVBoxLayout;
    sliderColumn->addWidget(m_maxLabel, 0, Qt::AlignHCenter);
    sliderColumn->addWidget(m_slider, 1, Qt::AlignHCenter);
    sliderColumn->addWidget(m_minLabel, 0, Qt::AlignHCenter);
    auto* right = new QVBoxLayout;
    right->addWidget(m_caption);
    right->addWidget(m_edit);
    right->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addLayout(sliderColumn);
    body->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(DialogSupport::MakeButtons(this, true));
    DialogSupport::ApplyTemplateSize(this, 109, 192);
    setCursor(LimitCursor());

    connect(m_slider, &QSlider::valueChanged, this, &CLimitDlg::OnSliderMoved);
    connect(m_edit, &QLineEdit::textChanged, this, &CLimitDlg::OnEditChanged);
    Set(true, 0, 100, 0);
}

void CLimitDlg::Set(bool isLower, int minimum, int maximum, int value)
{
    m_isLower = isLower;
    m_minimum = std::min(minimum, maximum);
    m_maximum = std::max(minimum, maximum);
    m_value = std::clamp(value, m_minimum, m_maximum);
    const QString caption = ViewText::Load(isLower ? ViewStrings::kLowerLimit : ViewStrings::kUpperLimit);
    setWindowTitle(caption);
    m_caption->setText(caption);
    m_maxLabel->setText(QString::number(m_maximum));
    m_minLabel->setText(QString::number(m_minimum));
    m_syncing = true;
    m_slider->setRange(0, m_maximum - m_minimum);
    m_syncing = false;
    // Setting the text also places the track bar.
    m_edit->setText(QString::number(value));
    OnEditChanged(m_edit->text());
}

int CLimitDlg::ParseValue(const QString& text, int minimum, int maximum)
{
    int k = 0;
    const int size = static_cast<int>(text.size());
    while (k < size && (text[k] == QChar(' ') || text[k] == QChar('\t')))
        ++k;
    bool negative = false;
    if (k < size && (text[k] == QChar('-') || text[k] == QChar('+'))) {
        negative = text[k] == QChar('-');
        ++k;
    }
    long long number = 0;
    while (k < size && text[k] >= QChar('0') && text[k] <= QChar('9')) {
        number = std::min<long long>(number * 10 + (text[k].unicode() - u'0'), INT_MAX);
        ++k;
    }
    if (negative)
        number = -number;
    return static_cast<int>(std::clamp<long long>(number, minimum, maximum));
}

void CLimitDlg::OnSliderMoved(int position)
{
    if (m_syncing)
        return;
    m_syncing = true;
    m_edit->setText(QString::number(m_maximum - position));
    m_syncing = false;
}

void CLimitDlg::OnEditChanged(const QString& text)
{
    if (m_syncing)
        return;
    m_syncing = true;
    // The slider clamps positions outside its range.
    const int value = ParseValue(text, INT_MIN / 2, INT_MAX / 2);
    m_slider->setValue(static_cast<int>(std::clamp<long long>(static_cast<long long>(m_maximum) - value, 0,
                                                              m_maximum - m_minimum)));
    m_syncing = false;
}

void CLimitDlg::accept()
{
    m_value = ParseValue(m_edit->text(), m_minimum, m_maximum);
    QDialog::accept();
}
