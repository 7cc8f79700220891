// SPDX-License-Identifier: GPL-3.0-or-later
// CAutoUpdate: the update wizard with its two pages, CPageSearch (connect
// to the download server, look for a newer installer) and CPageDownload
// (download it into the program folder and start it).  The object lives as
// long as the main window; it also runs the quiet background check at
// start-up, which reports the newest version to the main window.
//
// The pages set the buttons as the property sheet's WM_SETWIZBUTTONS did:
// 0 none, 2 Next, 4 Finish; Cancel is always there.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

#include "app/update/QueuedPrompt.h"
#include "platform/Version.h"
#include "update/FtpLink.h"
#include "update/UpdateCheck.h"
#include "update/UpdateSelection.h"

class QLabel;
class QPushButton;
class QStackedWidget;
class CPageSearch;
class CPageDownload;

class CAutoUpdate : public QDialog {
    Q_OBJECT
public:
    enum WizardButtons { buttonsNone = 0, buttonsNext = 2, buttonsFinish = 4 };

    // The running program, the configured server and the program's folder.
    explicit CAutoUpdate(QWidget* owner);
    CAutoUpdate(QWidget* owner, Update::SProgramIdentity program, Update::SFtpServer server, QString programFolder);
    // Ends the background check and any step still running.
    ~CAutoUpdate() override;

    // The background check: the newest version reaches `report` on the
    // user-interface thread, packed into the two message parameters.
    using VersionReport = std::function<void(uint32_t messageId, const CVersion& version)>;
    void SetVersionReport(VersionReport report) { m_versionReport = std::move(report); }
    bool StartUpdateCheck(uint32_t messageId);
    // Ends the background check (closing the program while it hangs).
    void StopUpdateCheck();
    bool IsCheckRunning() const { return m_check.IsRunning(); }

    // Runs the wizard modally (ending a background check still running
    // first); true only when the installer was started.
    bool RunWizard();
    // The start of a run without the modal loop: the first page, its
    // buttons and its first step (RunWizard uses it; tests show the sheet).
    void BeginRun();

    // What the pages share.
    void SetWizardButtons(int flags);
    int GetWizardButtons() const { return m_buttons; }
    Update::CFtpLink& Link() { return m_link; }
    const Update::SProgramIdentity& Program() const { return m_program; }
    // The program's folder, ending in a separator.
    const QString& ProgramFolder() const { return m_programFolder; }
    Update::SInstallerChoice& Choice() { return m_choice; }
    bool GetShowErrors() const { return m_showErrors; }
    void SetShowErrors(bool on) { m_showErrors = on; }
    void SetTimeouts(const Update::SFtpTimeouts& timeouts);

    // Where the Save As question and the installer's start go (tests
    // replace them).  The asker returns the chosen path, empty on cancel.
    using SavePathAsker = std::function<QString(const QString& suggestedName)>;
    using Launcher = std::function<bool(const QString& path)>;
    void SetSavePathAsker(SavePathAsker asker) { m_askSavePath = std::move(asker); }
    void SetLauncher(Launcher launcher) { m_launch = std::move(launcher); }
    QString AskSavePath(const QString& suggestedName);
    bool Launch(const QString& path);

    // The download page ends the wizard once the installer runs.
    void FinishLaunched();

    CPageSearch* SearchPage() const { return m_search; }
    CPageDownload* DownloadPage() const { return m_download; }
    int CurrentPage() const;
    QPushButton* NextButton() const { return m_next; }
    QPushButton* FinishButton() const { return m_finish; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* BackButton() const { return m_back; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Retranslate();
    void GoToDownload();
    void EndRun();

    Update::SProgramIdentity m_program;
    Update::SFtpServer m_server;
    QString m_programFolder;
    CQueuedPrompt m_prompt;
    Update::CFtpLink m_link;
    Update::CUpdateCheck m_check;
    Update::SInstallerChoice m_choice;
    bool m_showErrors = true;
    VersionReport m_versionReport;
    SavePathAsker m_askSavePath;
    Launcher m_launch;
    int m_buttons = buttonsNone;
    bool m_running = false;

    QStackedWidget* m_pages = nullptr;
    CPageSearch* m_search = nullptr;
    CPageDownload* m_download = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_finish = nullptr;
    QPushButton* m_cancel = nullptr;
};
