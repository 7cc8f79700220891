// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/dialogs/DateTimeDlg.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <ctime>

#include "platform/DateTimeFormat.h"
#include "views/dialogs/DialogSupport.h"
#include "views/ViewSettings.h"
#include "views/ViewStrings.h"
#include "views/ViewText.h"

using DialogSupport::ControlName;
using ViewText::Load;

namespace {

QDateTime ToQDateTime(uint32_t stamp)
{
    const std::tm tm = Platform::SeriesTimeToLocal(stamp);
    return QDateTime(QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday), QTime(tm.tm_hour, tm.tm_min, tm.tm_sec));
}

QGroupBox* PairGroup(const QString& title, QWidget* date, QWidget* time)
{
    auto* group = new QGroupBox(title);
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(Load(ViewStrings::kDate)), 0, 0);
    grid->addWidget(new QLabel(Load(ViewStrings::kTime)), 0, 1);
    grid->addWidget(date, 1, 0);
    grid->addWidget(time, 1, 1);
    return group;
}

} // namespace

CDateTimeDlg::CDateTimeDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Load(ViewStrings::kAdjustTime));
    m_oldDate = new QLineEdit;
    m_oldDate->setObjectName(ControlName(2027));
    m_oldDate->setReadOnly(true);
    m_oldTime = new QLineEdit;
    m_oldTime->setObjectName(ControlName(2020));
    m_oldTime->setReadOnly(true);
    // The focus starts on the new date, not on the read-only texts.
    m_oldDate->setFocusPolicy(Qt::ClickFocus);
    m_oldTime->setFocusPolicy(Qt::ClickFocus);
    m_date = new QDateEdit;
    m_date->setObjectName(ControlName(2014));
    m_date->setCalendarPopup(true);
    m_time = new QTimeEdit;
    m_time->setObjectName(ControlName(2016));
    // Series stamps run from 2000-01-01 to 2136-02-07.
    m_date->setDateRange(QDate(2000, 1, 1), QDate(2136, 2, 6));

    const uint32_t dtFormat = ViewSettings::DtFormat();
    m_date->setDisplayFormat(ViewSettings::PictureToQtFormat(Platform::GetDatePicture(dtFormat)));
    m_time->setDisplayFormat(
        ViewSettings::PictureToQtFormat(ViewSettings::WithSeconds(Platform::GetTimePicture(dtFormat))));

    auto* row = new QHBoxLayout;
    row->addWidget(PairGroup(Load(ViewStrings::kCurrentStamp), m_oldDate, m_oldTime), 1);
    row->addWidget(new QLabel(Load(ViewStrings::kArrow)), 0, Qt::AlignVCenter);
    row->addWidget(PairGroup(Load(ViewStrings::kStampAfter), m_date, m_time), 1);
    auto* info = new QGroupBox(Load(ViewStrings::kInfo));
    auto* infoLayout = new QVBoxLayout(info);
    auto* infoText = new QLabel(Load(ViewStrings::kAdjustInfo));
    infoText->setWordWrap(true);
    infoLayout->addWidget(infoText);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(info);
    layout->addWidget(DialogSupport::MakeButtons(this, true));
    DialogSupport::ApplyTemplateSize(this, 263, 108);
}

void CDateTimeDlg::SetOldTime(uint32_t stamp)
{
    m_old = stamp;
    const uint32_t dtFormat = ViewSettings::DtFormat();
    const std::tm tm = Platform::SeriesTimeToLocal(stamp);
    m_oldDate->setText(ViewText::Q(Platform::FormatDatePicture(Platform::GetDatePicture(dtFormat), tm)));
    m_oldTime->setText(ViewText::Q(
        Platform::FormatTimePicture(ViewSettings::WithSeconds(Platform::GetTimePicture(dtFormat)), tm)));
}

void CDateTimeDlg::SetNewTime(uint32_t stamp)
{
    m_new = stamp;
    const QDateTime when = ToQDateTime(stamp);
    m_date->setDate(when.date());
    m_time->setTime(when.time());
}

void CDateTimeDlg::accept()
{
    const QDate date = m_date->date();
    const QTime time = m_time->time();
    std::tm tm{};
    tm.tm_year = date.year() - 1900;
    tm.tm_mon = date.month() - 1;
    tm.tm_mday = date.day();
    tm.tm_hour = time.hour();
    tm.tm_min = time.minute();
    tm.tm_sec = time.second();
    tm.tm_isdst = -1;
    m_new = Platform::LocalToSeriesTime(tm);
    QDialog::accept();
}
