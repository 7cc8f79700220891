// SPDX-License-Identifier: GPL-3.0-or-later
// The main frame's menu, tool bar, update menu and command states.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>

#include "app/AppIcons.h"
#include "app/AppStrings.h"
#include "app/Commands.h"
#include "app/Logo.h"
#include "app/MainFrame.h"
#include "app/ShellOpen.h"
#include "app/ToolBarExt.h"
#include "connection/PaperConnection.h"
#include "data/PaperDoc.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "views/ChildView.h"
#include "views/PageInterface.h"

namespace {

QString Text(uint32_t id)
{
    return QString::fromStdU16String(Platform::LoadString(id));
}

QString VersionItemText(uint32_t id, const CVersion& version)
{
    return QString::fromStdU16String(
        Platform::FormatU(Platform::LoadString(id).c_str(), Platform::ToUtf8(version.Format(3)).c_str()));
}

} // namespace

void CMainFrame::CreateActions()
{
    for (const Commands::SCommand& command : Commands::AllCommands()) {
        auto* action = new QAction(this);
        action->setData(command.id);
        if (command.icon != nullptr)
            action->setIcon(AppIcons::Icon(QString::fromLatin1(command.icon)));
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        m_actions.insert(id, action);
    }
    Action(Commands::ID_FILE_OPEN)->setShortcut(QKeySequence::Open);
    Action(Commands::ID_FILE_SAVE)->setShortcut(QKeySequence::Save);
    Action(Commands::ID_PRINT)->setShortcut(QKeySequence::Print);
    Action(Commands::ID_HELP)->setShortcut(QKeySequence::HelpContents);
    // The Edit menu shows the keys the pages answer; as window shortcuts they
    // run the same commands (a focused editor keeps its own clipboard keys).
    Action(Commands::ID_SELECT_ALL)->setShortcut(QKeySequence::SelectAll);
    Action(Commands::ID_CUT)->setShortcut(QKeySequence::Cut);
    Action(Commands::ID_COPY)->setShortcut(QKeySequence::Copy);
    Action(Commands::ID_PASTE)->setShortcut(QKeySequence::Paste);
    Action(Commands::ID_DELETE)->setShortcut(QKeySequence::Delete);
    RetranslateActions();

    // The clipboard changes what Paste can do.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { UpdateCommandStates(); });
}

void CMainFrame::RetranslateActions()
{
    for (const Commands::SCommand& command : Commands::AllCommands()) {
        QAction* action = Action(command.id);
        if (action == nullptr)
            continue;
        action->setText(Text(command.textId));
        action->setToolTip(QString::fromStdU16String(Commands::ToolTip(command.id)));
        action->setStatusTip(QString::fromStdU16String(Commands::Prompt(command.id)));
    }
    for (int popup = 0; popup < static_cast<int>(m_menus.size()); ++popup)
        m_menus[static_cast<size_t>(popup)]->setTitle(Text(Commands::PopupTitleId(popup)));
    if (m_toolBar != nullptr)
        m_toolBar->setWindowTitle(Text(AppStrings::kToolBarName));
}

QAction* CMainFrame::Action(int id) const
{
    return m_actions.value(id, nullptr);
}

void CMainFrame::BuildMenuBar()
{
    RemoveUpdateMenu();
    QMenuBar* bar = menuBar();
    bar->clear();
    for (QMenu* menu : m_menus)
        menu->deleteLater();
    m_menus.clear();

    for (int popup = 0; popup < Commands::popupCount; ++popup) {
        auto* menu = new QMenu(Text(Commands::PopupTitleId(popup)), bar);
        // Enabled states are brought up to date before the menu shows.
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
        for (const Commands::SMenuEntry& entry : Commands::MenuLayout()) {
            if (entry.popup != popup)
                continue;
            if (entry.command == 0)
                menu->addSeparator();
            else
                menu->addAction(Action(entry.command));
        }
        bar->addMenu(menu);
        m_menus.push_back(menu);
    }
    RebuildUpdateMenu();
}

void CMainFrame::BuildToolBar()
{
    m_toolBar = new CToolBarExt(this);
    m_toolBar->setWindowTitle(Text(AppStrings::kToolBarName));
    for (int id : Commands::ToolBarLayout()) {
        if (id == 0)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(Action(id));
    }
    m_logo = new CLogo(m_toolBar);
    connect(m_logo, &CLogo::clicked, this,
            [] { ShellOpen::OpenWebPage(Platform::LoadString(AppStrings::kMakerWebSite)); });
    m_toolBar->AddLogo(m_logo);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void CMainFrame::RemoveUpdateMenu()
{
    if (m_updateMenu == nullptr)
        return;
    menuBar()->removeAction(m_updateMenu->menuAction());
    // Its item may be the one being triggered right now.
    m_updateMenu->deleteLater();
    m_updateMenu = nullptr;
}

void CMainFrame::RebuildUpdateMenu()
{
    RemoveUpdateMenu();
    if (!m_newProgramVersion.IsValid() && !m_newFirmwareVersion.IsValid())
        return;
    m_updateMenu = new QMenu(Text(AppStrings::kNewVersionMenu), menuBar());
    if (m_newProgramVersion.IsValid()) {
        QAction* item = m_updateMenu->addAction(VersionItemText(AppStrings::kUpdateProgramItem, m_newProgramVersion));
        item->setData(static_cast<int>(Commands::ID_UPDATE_PROGRAM));
        item->setStatusTip(QString::fromStdU16String(Commands::Prompt(Commands::ID_UPDATE_PROGRAM)));
        connect(item, &QAction::triggered, this, [this] { OnCommand(Commands::ID_UPDATE_PROGRAM); });
    }
    if (m_newFirmwareVersion.IsValid()) {
        QAction* item = m_updateMenu->addAction(VersionItemText(AppStrings::kUpdateFirmwareItem, m_newFirmwareVersion));
        item->setData(static_cast<int>(Commands::ID_UPGRADE));
        item->setStatusTip(QString::fromStdU16String(Commands::Prompt(Commands::ID_UPGRADE)));
        connect(item, &QAction::triggered, this, [this] { OnCommand(Commands::ID_UPGRADE); });
    }
    menuBar()->addMenu(m_updateMenu);
    menuBar()->update();
}

void CMainFrame::OnLanguageChanged()
{
    RetranslateActions();
    BuildMenuBar();
    UpdateTitle();
    ShowReady();
}

bool CMainFrame::IsCommandEnabled(int id)
{
    if (const int page = Commands::PageCommandOf(id))
        return m_view != nullptr && m_view->IsPageCommandEnabled(page);
    switch (id) {
    case Commands::ID_PRINT_PREVIEW:
        // What can be printed can be previewed.
        return m_view != nullptr && m_view->IsPageCommandEnabled(IPage::cmdPrint);
    case Commands::ID_RESTORE_ORIGINAL:
        // Nothing to restore without original data.
        return m_doc->GetOriginal().HasSeries();
    case Commands::ID_DISCONNECT:
        // Enabled only while a device is held.
        return m_connection && m_connection->GetDevice() != nullptr;
    default:
        return true;
    }
}

void CMainFrame::UpdateCommandStates()
{
    UpdateDeviceField();
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it)
        it.value()->setEnabled(IsCommandEnabled(it.key()));
}
