// SPDX-License-Identifier: GPL-3.0-or-later
// CLogo: the logo band at the right of the tool bar.  A click asks for the
// maker's web site (signal clicked); the pointer shows a hand over it.
#pragma once

#include <QWidget>

class CLogo : public QWidget {
    Q_OBJECT
public:
    explicit CLogo(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Retranslate();

    bool m_pressed = false;
};
