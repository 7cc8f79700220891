// SPDX-License-Identifier: GPL-3.0-or-later
// CDateTimeDlg: "Adjust time".  Shows a series' time stamp and lets the
// user pick a new date and time; the result is the offset new - old in
// seconds, which the caller adds to every selected series.
//
// Time stamps are the series' wall-clock counts (seconds since 2000-01-01,
// Platform::SeriesTimeToLocal / LocalToSeriesTime).  The offset is therefore
// the wall-clock difference, whatever lies between the two stamps: across a
// change to or from daylight saving time the series keep the clock time the
// user picked, and every wall-clock reading (also in the hour skipped in
// spring) can be picked.
#pragma once

#include <QDialog>

#include <cstdint>

class QDateEdit;
class QLineEdit;
class QTimeEdit;

class CDateTimeDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDateTimeDlg(QWidget* parent = nullptr);

    // The series' time stamp; also the initial new one.
    void SetOldTime(uint32_t stamp);
    void SetNewTime(uint32_t stamp);
    // After OK: new - old in seconds.
    int64_t GetOffset() const { return m_new - m_old; }
    int64_t GetNewTime() const { return m_new; }

    QDateEdit* DatePicker() const { return m_date; }
    QTimeEdit* TimePicker() const { return m_time; }
    QLineEdit* OldDateEdit() const { return m_oldDate; }
    QLineEdit* OldTimeEdit() const { return m_oldTime; }

    void accept() override;

private:
    int64_t m_old = 0;
    int64_t m_new = 0;
    QLineEdit* m_oldDate;
    QLineEdit* m_oldTime;
    QDateEdit* m_date;
    QTimeEdit* m_time;
};
