// SPDX-License-Identifier: GPL-3.0-or-later
// The update wizard's second page: downloads the chosen installer in
// chunks, with a progress bar and the megabytes downloaded, into the
// program folder (or where the user saves it when that folder cannot be
// written), then asks before it starts the installer.
#pragma once

#include <memory>

#include "app/update/UpdatePage.h"
#include "update/InstallerDownload.h"

class CAutoUpdate;
class QLabel;
class QProgressBar;

class CPageDownload : public CUpdatePage {
    Q_OBJECT
public:
    explicit CPageDownload(CAutoUpdate& sheet);
    ~CPageDownload() override;

    // Starts the page: buttons none, "Downloading <installer>", then the
    // start step.
    void Activate();
    // Abandons a download (its temporary file goes) and waits for a step
    // still running (the link was cancelled).
    void Stop();

    QString AmountText() const;
    int Progress() const;
    bool IsProgressShown() const;
    // The file the installer is (being) written to.
    QString TargetPath() const;
    bool IsFinished() const { return m_finished; }

private:
    void StartStep();
    void StartConnected(bool ok);
    void DownloadOpened(bool ok);
    void ChunkStep();
    void LaunchStep();
    void ShowError(const QString& text);

    std::unique_ptr<Update::CInstallerDownload> m_download;
    QString m_target;
    bool m_finished = false;
    QProgressBar* m_progress = nullptr;
    QLabel* m_amount = nullptr;
};
