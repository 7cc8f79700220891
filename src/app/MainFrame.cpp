// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainFrame.h"

#include "app/StatusHint.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "app/AppIcons.h"
#include "app/AppMessages.h"
#include "app/AppStrings.h"
#include "app/BrelmoraApp.h"
#include "app/Demo.h"
#include "app/DesktopConnectionUi.h"
#include "app/Logo.h"
#include "app/ShellOpen.h"
#include "app/StatusHint.h"
#include "app/ToolBarExt.h"
#include "app/update/AutoUpdate.h"
#include "app/update/UpdateMessages.h"
#include "connection/ConnectionStrings.h"
#include "connection/FirmwareCheck.h"
#include "connection/PaperConnection.h"
#include "connection/PortText.h"
#include "data/PaperDoc.h"
#include "device/VeltranoDevice.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "views/ChildView.h"
#include "views/connection/ConnectionViewStrings.h"

namespace {

QString Text(uint32_t id)
{
    return QString::fromStdU16String(Platform::LoadString(id));
}

// How often the tool bar's enabled states are refreshed while nothing else
// asks for it (the menus refresh theirs before they open).
constexpr int kStateRefreshMs = 250;
// A progress text is painted at most this often (one frame of a 60 Hz screen).
constexpr qint64 kProgressPaintMs = 16;

} // namespace

CMainFrame::CMainFrame(CBrelmoraApp& app, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_doc(std::make_unique<CPaperDoc>()), m_docUi(this),
      m_connectionUi(std::make_unique<CDesktopConnectionUi>(this)),
      m_connection(std::make_unique<CPaperConnection>(*m_connectionUi))
{
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(AppIcons::Icon(QStringLiteral("brelmora")));
    setAcceptDrops(true);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(InitialGeometry(screen->geometry(), screen->availableGeometry()));

    m_doc->SetUi(&m_docUi);
    m_doc->RegisterView(this);

    CreateActions();
    BuildMenuBar();
    BuildToolBar();

    m_statusHint = new CStatusHint(this);
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("StatusField"));
    statusBar()->addWidget(m_statusLabel, 1);
    m_deviceLabel = new QLabel(this);
    m_deviceLabel->setObjectName(QStringLiteral("DeviceField"));
    statusBar()->addPermanentWidget(m_deviceLabel);
    ShowReady();
    SetUpConnection();

    m_view = new CChildView(m_doc.get(), this);
    setCentralWidget(m_view);
    connect(m_view, &CChildView::statusText, this, [this](const QString& text) {
        if (text.isEmpty())
            ShowReady();
        else
            m_statusLabel->setText(text);
        UpdateCommandStates();
    });
    // Progress comes from a loop that holds the event loop: the status
    // field (and nothing else) is painted at once, at most once a frame.
    connect(m_view, &CChildView::progressText, this, [this](const QString& text) {
        m_statusLabel->setText(text);
        if (!m_progressPainted.isValid() || m_progressPainted.elapsed() >= kProgressPaintMs) {
            m_statusLabel->repaint();
            m_progressPainted.start();
        }
    });

    // The background update check reports a newer program to the update
    // menu; the firmware check reports through this frame's IFirmwareReport.
    m_autoUpdate = new CAutoUpdate(this);
    m_autoUpdate->SetVersionReport([this](uint32_t messageId, const CVersion& version) {
        if (messageId == UpdateMessages::kNewProgramVersion)
            OnNewProgramVersion(version);
    });
    m_autoUpdate->StartUpdateCheck(UpdateMessages::kNewProgramVersion);

    m_stateTimer = new QTimer(this);
    connect(m_stateTimer, &QTimer::timeout, this, [this] {
        if (isVisible() && isActiveWindow())
            UpdateCommandStates();
    });
    m_stateTimer->start(kStateRefreshMs);

    UpdateTitle();
    UpdateCommandStates();
}

CMainFrame::~CMainFrame()
{
    // Disconnects; a firmware check still running ends before the frame,
    // where it reports, goes.
    m_connection.reset();
    if (m_autoUpdate != nullptr)
        m_autoUpdate->StopUpdateCheck();
    m_doc->UnregisterView(this);
    m_doc->SetUi(nullptr);
    // The views refer to the document: they go before it.
    delete takeCentralWidget();
    m_view = nullptr;
}

QRect CMainFrame::InitialGeometry(const QRect& screen, const QRect& available)
{
    QRect rect(available.left() + 2, available.top() + 2, screen.width() - 4, screen.height() * 9 / 10);
    // Inside the area the desktop's panels leave free.
    if (rect.right() > available.right())
        rect.setRight(available.right());
    if (rect.bottom() > available.bottom())
        rect.setBottom(available.bottom());
    return rect;
}

void CMainFrame::ReadCommandLine(const SCommandLine& commandLine)
{
    if (commandLine.energy) {
        m_doc->SetEnergyMode(true);
        m_doc->NotifyViews(nullptr, -1);
    }
    if (!commandLine.projectPath.empty())
        m_doc->OpenProject(commandLine.projectPath);
}

void CMainFrame::OnDocumentChanged(int)
{
    if (m_updatePending)
        return;
    m_updatePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_updatePending = false;
            UpdateTitle();
            UpdateCommandStates();
        },
        Qt::QueuedConnection);
}

QString CMainFrame::TitleText() const
{
    QString app = Text(AppStrings::kAppTitle);
    if (m_app.GetDemo() != nullptr)
        app += QStringLiteral(" - ") + Text(ConnectionViewStrings::kDemoTitle);
    const QString title = QString::fromStdU16String(m_doc->GetTitle(true));
    return title.isEmpty() ? app : title + QStringLiteral(" - ") + app;
}

void CMainFrame::SetUpConnection()
{
    m_connectionUi->SetKeepAliveHandler([this] { OnKeepAliveTick(); });
    m_connectionUi->SetHelpHandler(
        [this] { ShellOpen::OpenHelpFile(m_app.GetPfad(), Platform::LoadString(AppStrings::kManualFile)); });
    if (const CDemoMode* demo = m_app.GetDemo()) {
        // The demo's instrument is on its own port; the wizard's values are
        // neither read nor stored, and no firmware check counts failures.
        m_connection->SetWizardSettingsKey(std::u16string());
        m_connectionUi->SetWizardPreset([demo](CConnWizardSettings& settings) { demo->PresetWizard(settings); });
    } else {
        m_connection->SetReminderFactory(MakeFirmwareCheckFactory());
    }
    // Newer firmware is reported to this frame as message 1042.
    m_connection->SetReminderContext(this, UpdateMessages::kNewFirmwareVersion, 0);
    UpdateDeviceField();
}

QString CMainFrame::DeviceFieldText() const
{
    return m_deviceLabel != nullptr ? m_deviceLabel->text() : QString();
}

void CMainFrame::UpdateDeviceField()
{
    if (m_deviceLabel == nullptr || !m_connection)
        return;
    const Device::CVeltranoDevice* device = m_connection->GetDevice();
    if (device != nullptr) {
        m_connectionLost = false;
    } else if (m_hadDevice && !m_disconnectAsked) {
        // Gone without being asked to: said once, in this field.
        m_connectionLost = true;
    }
    m_hadDevice = device != nullptr;
    m_disconnectAsked = false;

    QString text;
    if (device != nullptr) {
        const std::string serial = Platform::ToUtf8(device->GetSerialNumber());
        std::u16string port = Connection::PortTextOfStream(device->GetStreamName());
        const std::u16string prefix = Platform::LoadString(ConnectionStrings::kPortTextPrefix);
        if (!prefix.empty() && port.compare(0, prefix.size(), prefix) == 0)
            port.erase(0, prefix.size());
        text = port.empty() ? QString::fromStdU16String(Platform::FormatU(
                                  Platform::LoadString(ConnectionViewStrings::kConnected).c_str(), serial.c_str()))
                            : QString::fromStdU16String(Platform::FormatU(
                                  Platform::LoadString(ConnectionViewStrings::kConnectedOn).c_str(), serial.c_str(),
                                  Platform::ToUtf8(port).c_str()));
    } else {
        text = Text(m_connectionLost ? ConnectionViewStrings::kConnectionLost : ConnectionViewStrings::kNotConnected);
    }
    if (m_deviceLabel->text() != text)
        m_deviceLabel->setText(text);
}

void CMainFrame::UpdateTitle()
{
    setWindowTitle(TitleText());
}

void CMainFrame::ShowReady()
{
    m_statusLabel->setText(Text(AppStrings::kStatusReady));
}

bool CMainFrame::HandleDroppedFiles(const QList<QUrl>& urls)
{
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return false;
    const QString path = urls.first().toLocalFile();
    if (!path.endsWith(QStringLiteral(".vnr"), Qt::CaseInsensitive))
        return false;
    activateWindow();
    return m_doc->OpenProject(path.toStdU16String());
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    // Opening may ask questions: not inside the drop's own event.
    QMetaObject::invokeMethod(this, [this, urls] { HandleDroppedFiles(urls); }, Qt::QueuedConnection);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!m_doc->CloseProject()) {
        event->ignore();
        return;
    }
    // A background check that hangs on an unreachable server ends at once.
    if (m_autoUpdate != nullptr) {
        m_autoUpdate->StopUpdateCheck();
        m_autoUpdate->close();
    }
    RemoveUpdateMenu();
    event->accept();
}

void CMainFrame::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        RetranslateActions();
        UpdateTitle();
        if (m_statusLabel != nullptr)
            ShowReady();
        UpdateDeviceField();
    }
    QMainWindow::changeEvent(event);
}

void CMainFrame::OnNewProgramVersion(const CVersion& version)
{
    m_newProgramVersion = version;
    RebuildUpdateMenu();
}

void CMainFrame::OnNewFirmwareVersion(const CVersion& version)
{
    m_newFirmwareVersion = version;
    RebuildUpdateMenu();
}

void CMainFrame::OnVersionFound(uint32_t messageId, uint64_t packedVersion)
{
    QMetaObject::invokeMethod(
        this,
        [this, messageId, packedVersion] {
            if (messageId != UpdateMessages::kNewFirmwareVersion)
                return;
            OnNewFirmwareVersion(CVersion(packedVersion));
        },
        Qt::QueuedConnection);
}

void CMainFrame::OnReminder(const std::u16string& text)
{
    QMetaObject::invokeMethod(
        this, [text] { AppMessages::ShowMessage(IPrompt::messageInformation, text); }, Qt::QueuedConnection);
}
