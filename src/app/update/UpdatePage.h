// SPDX-License-Identifier: GPL-3.0-or-later
// What the update wizard's pages share: the bold caption and the title
// line, the background task, and the run counter that drops the steps of a
// run the page abandoned (Stop, or a new Activate).
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "app/update/FtpTask.h"

class CAutoUpdate;
class QLabel;
class QVBoxLayout;

class CUpdatePage : public QWidget {
    Q_OBJECT
public:
    // `captionId`: the string-table id of the page's caption.
    CUpdatePage(CAutoUpdate& sheet, const QString& objectName, uint32_t captionId);

    bool IsBusy() const { return m_task.IsBusy(); }
    QString TitleText() const;
    void Retranslate();

protected:
    // A new run: steps still queued for the old one are dropped.
    void NewRun() { ++m_generation; }
    // Abandons the run and waits for a step still running (the link was
    // cancelled).
    void StopRun();
    // Runs `step` from the event loop, unless the run was abandoned first.
    void Later(std::function<void()> step);
    // Runs `work` on the task's thread, then `done(ok)` here, unless the run
    // was abandoned meanwhile.
    void RunTask(std::function<bool()> work, std::function<void(bool)> done);

    static QString Text(uint32_t id);
    // The page's layout: caption, a gap, the title; pages add below it.
    QVBoxLayout* Layout() const { return m_layout; }

    CAutoUpdate& m_sheet;
    QLabel* m_title = nullptr;

private:
    CFtpTask m_task;
    int m_generation = 0;
    uint32_t m_captionId;
    QLabel* m_caption = nullptr;
    QVBoxLayout* m_layout = nullptr;
};
