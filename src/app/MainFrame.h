// SPDX-License-Identifier: GPL-3.0-or-later
// CMainFrame: the program's only top-level window.  It owns the project
// document and hosts the tool bar with the logo band, the status bar and the
// child view with the tab sheet.  It routes the menu and tool-bar commands
// to the document, the active page, the settings dialog, the firmware
// upgrade launch, help files and web pages; it accepts dropped project files
// and asks to save a changed project before it closes.
#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QMainWindow>
#include <memory>
#include <vector>

#include "app/CommandLine.h"
#include "app/DocumentUi.h"
#include "connection/FirmwareReminder.h"
#include "data/DocumentInterfaces.h"
#include "platform/Version.h"

class CAutoUpdate;
class CBrelmoraApp;
class CChildView;
class CDesktopConnectionUi;
class CLogo;
class CPaperConnection;
class CPaperDoc;
class CToolBarExt;
class QAction;
class CStatusHint;
class QLabel;
class QMenu;
class QTimer;
class QUrl;

// The main frame is also where the firmware check reports (hand it to the
// connection driver as the IFirmwareReport); the driver must end its check
// before the frame goes.
class CMainFrame : public QMainWindow, public IDocumentView, public IFirmwareReport {
    Q_OBJECT
public:
    explicit CMainFrame(CBrelmoraApp& app, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CPaperDoc& GetDocument() { return *m_doc; }
    CChildView* GetChildView() const { return m_view; }
    // The connection driver with the instrument it holds (one for the whole
    // run): the device dialogs reach the connected Veltrano through it.
    CPaperConnection& Connection() { return *m_connection; }
    CDesktopConnectionUi& ConnectionUi() { return *m_connectionUi; }
    // The status bar's instrument field: "Veltrano SN0042 on COM5", "No
    // Veltrano connected", or that the connection was lost.
    QString DeviceFieldText() const;

    // Applies the command line: the energy switch, then the project to open.
    void ReadCommandLine(const SCommandLine& commandLine);

    // Runs a menu or tool-bar command.
    void OnCommand(int id);
    // The enable state of a command right now.
    bool IsCommandEnabled(int id);
    // The action of a command (menu and tool bar share it); null if none.
    QAction* Action(int id) const;
    // Refreshes the enabled state of every command.
    void UpdateCommandStates();

    // Dropped files: only the first counts; a name ending in ".vnr" (any
    // case) is opened as the project.  True when a project was opened.
    bool HandleDroppedFiles(const QList<QUrl>& urls);

    // Reloads the menu after the language changed (update menu included).
    void OnLanguageChanged();

    // The "New version available!" menu, or null when nothing newer is known.
    QMenu* UpdateMenu() const { return m_updateMenu; }
    const CVersion& NewProgramVersion() const { return m_newProgramVersion; }
    const CVersion& NewFirmwareVersion() const { return m_newFirmwareVersion; }

    // The window's title: the document's short title and the program's name
    // (in the demo mode followed by the note that the instrument is
    // simulated).
    QString TitleText() const;

    // The size and place of the window for a screen: at (2, 2), the screen's
    // width less 4, 90 % of its height (kept inside the available area).
    static QRect InitialGeometry(const QRect& screen, const QRect& available);

    // IDocumentView: the title and the command states follow the document
    // (queued, as a posted message would be).
    void OnDocumentChanged(int seriesIndex) override;

    // IFirmwareReport, called from the firmware check's thread: both are
    // handed to the user-interface thread.  A firmware version (message
    // 1042) goes to the update menu; the reminder is shown with the
    // information icon.
    void OnVersionFound(uint32_t messageId, uint64_t packedVersion) override;
    void OnReminder(const std::u16string& text) override;

    // The update wizard and its background check (null before the frame
    // made it).
    CAutoUpdate* AutoUpdate() const { return m_autoUpdate; }

public slots:
    // A newer program version from the update check; all parts zero means
    // nothing newer.
    void OnNewProgramVersion(const CVersion& version);
    // A newer instrument firmware from the firmware reminder, the same way.
    void OnNewFirmwareVersion(const CVersion& version);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateActions();
    void RetranslateActions();
    void BuildMenuBar();
    void BuildToolBar();
    void RebuildUpdateMenu();
    void RemoveUpdateMenu();
    void UpdateTitle();
    void ShowReady();

    // Command handlers.
    void RestoreOriginal();
    void ShowSettings();
    void ShowAbout();
    void UpgradeFirmware();
    void UpdateProgram();
    void CheckForUpdates();
    void ShowSeriesNames();
    void ShowDeviceOptions();
    void DownloadSeries();
    void DeleteAllSeries();
    void DisconnectDevice();
    void OnKeepAliveTick();
    void SetUpConnection();
    void UpdateDeviceField();

    CBrelmoraApp& m_app;
    std::unique_ptr<CPaperDoc> m_doc;
    CDocumentUi m_docUi;
    CChildView* m_view = nullptr;
    CToolBarExt* m_toolBar = nullptr;
    CLogo* m_logo = nullptr;
    CStatusHint* m_statusHint = nullptr;
    QLabel* m_statusLabel = nullptr;
    QElapsedTimer m_progressPainted;   // when a progress text was last painted
    QHash<int, QAction*> m_actions;
    std::vector<QMenu*> m_menus;
    QMenu* m_updateMenu = nullptr;
    QTimer* m_stateTimer = nullptr;
    CAutoUpdate* m_autoUpdate = nullptr;
    CVersion m_newProgramVersion;
    CVersion m_newFirmwareVersion;
    bool m_updatePending = false;

    // The connection: its front end first, the driver after it (the driver
    // goes first, disconnecting, and ends its firmware check before this
    // frame, where the check reports, goes).
    std::unique_ptr<CDesktopConnectionUi> m_connectionUi;
    std::unique_ptr<CPaperConnection> m_connection;
    QLabel* m_deviceLabel = nullptr;
    bool m_hadDevice = false;
    bool m_disconnectAsked = false;
    bool m_connectionLost = false;
};
