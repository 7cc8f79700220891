// SPDX-License-Identifier: GPL-3.0-or-later
// CLimitDlg: "Lower limit" or "Upper limit".  A vertical track bar with the
// maximum at the top (its position is maximum - value) and an edit; moving
// one moves the other.  OK takes the edit's leading number, clamped to the
// range.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QSlider;

class CLimitDlg : public QDialog {
    Q_OBJECT
public:
    explicit CLimitDlg(QWidget* parent = nullptr);

    void Set(bool isLower, int minimum, int maximum, int value);
    // After OK: the value, always within minimum..maximum.
    int GetValue() const { return m_value; }

    // The edit's text as a number: optional spaces and sign, then the
    // leading digits (none give 0), clamped to minimum..maximum.
    static int ParseValue(const QString& text, int minimum, int maximum);

    QSlider* Slider() const { return m_slider; }
    QLineEdit* Edit() const { return m_edit; }

    void accept() override;

private:
    void OnSliderMoved(int position);
    void OnEditChanged(const QString& text);

    bool m_isLower = true;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_value = 0;
    bool m_syncing = false;
    QSlider* m_slider;
    QLineEdit* m_edit;
    QLabel* m_caption;
    QLabel* m_maxLabel;
    QLabel* m_minLabel;
};
