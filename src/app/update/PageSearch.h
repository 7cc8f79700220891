// The update wizard's first page: connects to the download server and
// looks for an installer newer than the running program.
#pragma once

#include <QWidget>

#include "app/update/FtpTask.h"

class CAutoUpdate;
class QLabel;

class CPageSearch : public QWidget {
    Q_OBJECT
public:
    explicit CPageSearch(CAutoUpdate& sheet);
    ~CPageSearch() override;

    // Starts the page: buttons none, "Searching update for ...",
    // "Connecting...", then the connect step.
    void Activate();
    // Waits for a step still running (the link was cancelled).
    void Stop();
    bool IsBusy() const { return m_task.IsBusy(); }

    QString TitleText() const;
    QString StatusText() const;
    QString MessageText() const;
    bool IsMessageShown() const;

    void Retranslate();

private:
    void ConnectStep();
    void ConnectDone(bool ok);
    void SearchStep();
    void SearchDone(bool ok);

    CAutoUpdate& m_sheet;
    CFtpTask m_task;
    int m_generation = 0;   // results of an abandoned run are dropped
    QLabel* m_caption = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_message = nullptr;
};
