// SPDX-License-Identifier: GPL-3.0-or-later
// The update wizard's first page: connects to the download server and
// looks for an installer newer than the running program.
#pragma once

#include "app/update/UpdatePage.h"

class CAutoUpdate;
class QLabel;

class CPageSearch : public CUpdatePage {
    Q_OBJECT
public:
    explicit CPageSearch(CAutoUpdate& sheet);
    ~CPageSearch() override;

    // Starts the page: buttons none, "Searching update for ...",
    // "Connecting...", then the connect step.
    void Activate();
    // Waits for a step still running (the link was cancelled).
    void Stop();

    QString StatusText() const;
    QString MessageText() const;
    bool IsMessageShown() const;

private:
    void ConnectStep();
    void ConnectDone(bool ok);
    void SearchStep();
    void SearchDone(bool ok);

    QLabel* m_status = nullptr;
    QLabel* m_message = nullptr;
};
