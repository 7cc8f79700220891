// SPDX-License-Identifier: GPL-3.0-or-later
// The main frame's command handlers.
#include <QApplication>
#include <QStatusBar>

#include "app/AboutDlg.h"
#include "app/AppMessages.h"
#include "app/AppSettings.h"
#include "app/AppStrings.h"
#include "app/ArchiveWindowCommand.h"
#include "app/BrelmoraApp.h"
#include "app/Commands.h"
#include "app/DownloadArchiver.h"
#include "app/FirmwareUpgrade.h"
#include "app/update/AutoUpdate.h"
#include "app/MainFrame.h"
#include "app/ShellOpen.h"
#include "connection/PaperConnection.h"
#include "controls/MessageBox.h"
#include "data/PaperDoc.h"
#include "platform/StringTable.h"
#include "views/ChildView.h"
#include "views/dialogs/DeviceOptionsDlg.h"
#include "views/dialogs/names/SeriesNamesDlg.h"

using Platform::LoadString;

void CMainFrame::OnCommand(int id)
{
    using namespace Commands;
    if (const int page = PageCommandOf(id)) {
        if (IsCommandEnabled(id))
            m_view->RunPageCommand(page);
        UpdateCommandStates();
        return;
    }
    switch (id) {
    case ID_FILE_OPEN: m_doc->OpenProject(std::u16string()); break;
    case ID_FILE_CLOSE: m_doc->CloseProject(); break;
    case ID_FILE_SAVE: m_doc->SaveProject(); break;
    case ID_FILE_SAVE_AS: m_doc->SaveProjectAs(); break;
    case ID_RESTORE_ORIGINAL: RestoreOriginal(); break;
    case ID_EXPORT: m_view->ExportText(); break;
    case ID_ARCHIVE: ArchiveWindowCommand::Show(this, m_doc.get()); break;
    case ID_ADD_TO_ARCHIVE: DownloadArchiver::Start(*m_doc, m_doc->GetTitle(false), false, this); break;
    case ID_PRINT_PREVIEW: m_view->PrintPreview(); break;
    case ID_APP_SETTINGS: ShowSettings(); break;
    case ID_APP_EXIT: close(); break;
    case ID_DOWNLOAD: DownloadSeries(); break;
    case ID_DELETE_ALL: DeleteAllSeries(); break;
    case ID_DISCONNECT: DisconnectDevice(); break;
    case ID_SERIES_NAMES: ShowSeriesNames(); break;
    case ID_DEVICE_OPTIONS: ShowDeviceOptions(); break;
    case ID_CHECK_UPDATES: CheckForUpdates(); break;
    case ID_UPGRADE: UpgradeFirmware(); break;
    case ID_HELP: ShellOpen::OpenHelpFile(m_app.GetPfad(), LoadString(AppStrings::kManualFile)); break;
    case ID_HELP_UPGRADE: ShellOpen::OpenHelpFile(m_app.GetPfad(), LoadString(AppStrings::kUpgradeHelpFile)); break;
    case ID_FEEDBACK: ShellOpen::OpenWebPage(LoadString(AppStrings::kFeedbackAddress)); break;
    case ID_ABOUT: ShowAbout(); break;
    case ID_UPDATE_PROGRAM: UpdateProgram(); break;
    default: break;
    }
    UpdateTitle();
    UpdateCommandStates();
}

void CMainFrame::DownloadSeries()
{
    // The driver asks to save a changed project, runs the wizard when no
    // instrument is held, shows the progress and the outcome's message; the
    // document refreshes the table, the graphs and the summary.
    if (m_connection->DownloadSeries(*m_doc).result == EDownloadResult::Ok)
        DownloadArchiver::AfterDownload(*m_doc, this);
    UpdateDeviceField();
}

void CMainFrame::DeleteAllSeries()
{
    m_connection->DeleteAllSeries();
    UpdateDeviceField();
}

void CMainFrame::DisconnectDevice()
{
    m_disconnectAsked = true;
    m_connection->Disconnect();
    UpdateDeviceField();
}

void CMainFrame::OnKeepAliveTick()
{
    // A lost instrument is a normal state: the status bar's field says so,
    // no message box comes up.
    m_connection->OnKeepAliveTimer();
    UpdateDeviceField();
    UpdateCommandStates();
}

// Both dialogs connect first (the wizard runs when no instrument is held)
// and do not open without an instrument.
void CMainFrame::ShowSeriesNames()
{
    CUploadStringsDlg dialog(*m_connection, this);
    dialog.Run();
}

void CMainFrame::ShowDeviceOptions()
{
    COptionsDlg dialog(*m_connection, this);
    dialog.Run();
}

void CMainFrame::RestoreOriginal()
{
    if (AppMessages::AskYesNoCancel(LoadString(AppStrings::kRestoreQuestion)) == AppMessages::answerYes)
        m_doc->RestoreOriginal();
}

void CMainFrame::ShowSettings()
{
    CAppSettings dialog(m_app, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (dialog.IsLanguageChanged())
        OnLanguageChanged();
    // Every shown date follows the new pictures.
    if (dialog.IsFormatChanged())
        m_doc->NotifyViews(nullptr, -1);
}

void CMainFrame::ShowAbout()
{
    CAboutDlg dialog(m_app, this);
    dialog.exec();
}

void CMainFrame::UpgradeFirmware()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The upgrade program opens the port itself: the instrument is let go.
    DisconnectDevice();
    m_newFirmwareVersion = CVersion();
    RebuildUpdateMenu();
    QApplication::restoreOverrideCursor();

    FirmwareUpgrade::PrepareRegistry(m_app.GetPfad());
    statusBar()->showMessage(QString::fromStdU16String(LoadString(AppStrings::kWaitingForUpgrade)));
    FirmwareUpgrade::RunAndWait(m_app.GetProgramFolder(), this);
    statusBar()->clearMessage();
}

void CMainFrame::UpdateProgram()
{
    if (!m_doc->CloseProject())
        return;
    // The installer replaces this program: once it runs, the frame closes.
    if (m_autoUpdate->RunWizard())
        close();
}

void CMainFrame::CheckForUpdates()
{
    if (m_autoUpdate->RunWizard())
        close();
}
