// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BrelmoraApp.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <exception>

#include "app/AppMessages.h"
#include "app/DownloadArchiver.h"
#include "app/AppStrings.h"
#include "app/CommandLine.h"
#include "app/Demo.h"
#include "app/LanguageLibraries.h"
#include "app/MainFrame.h"
#include "app/Splash.h"
#include "controls/MessageBox.h"
#include "device/DeviceThread.h"
#include "platform/DateTimeFormat.h"
#include "platform/ExecutableResources.h"
#include "platform/LanguageTable.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "update/LanguageLibrary.h"

namespace {

CBrelmoraApp* g_app = nullptr;

} // namespace

CBrelmoraApp::CBrelmoraApp() : m_programPath(Platform::FromUtf8(Platform::OwnExecutablePath()))
{
    g_app = this;
    m_settings.SetReport(&m_settingsMessages);
}

CBrelmoraApp::~CBrelmoraApp()
{
    ExitInstance();
    if (g_app == this)
        g_app = nullptr;
}

CBrelmoraApp* CBrelmoraApp::Instance()
{
    return g_app;
}

std::u16string CBrelmoraApp::GetProgramFolder() const
{
    return CSettingsStore::FolderOf(m_programPath);
}

bool CBrelmoraApp::InitInstance(const std::vector<std::u16string>& args)
{
    ReadSettings();
    LoadLanguageLibrary();
    if (!StartLibraries())
        return false;
    if (ParseCommandLine(args).demo && !StartDemo())
        return false;
    ShowSplashAndWait();
    return CreateMainFrame(args);
}

int CBrelmoraApp::ExitInstance()
{
    // The frame disconnects the instrument, which the demo's simulator
    // still answers; the simulator goes before the libraries.
    m_mainFrame.reset();
    m_demo.reset();
    StopLibraries();
    return 0;
}

bool CBrelmoraApp::StartDemo()
{
    auto demo = std::make_unique<CDemoMode>();
    std::u16string error;
    if (!demo->Start(error)) {
        AppMessages::ShowMessage(Gui::messageError, error);
        return false;
    }
    m_demo = std::move(demo);
    // Nothing of the demo reaches the user's archive.
    DownloadArchiver::UseTemporaryArchive();
    return true;
}

void CBrelmoraApp::ReadSettings()
{
    m_settings.Read(m_programPath);
    // Profile values Qt keeps on its own go under the company's name.
    QCoreApplication::setOrganizationName(QString::fromStdU16String(Platform::LoadString(AppStrings::kCompanyKey)));
    QCoreApplication::setApplicationName(QStringLiteral("Brelmora"));
}

void CBrelmoraApp::LoadLanguageLibrary()
{
    ApplyLanguageFile(m_settings.Values().languageFile);
}

void CBrelmoraApp::PrepareWithoutWindow()
{
    // The settings as they are stored: nothing is repaired or written and
    // no message box can come up.
    ApplyLanguageFile(CSettingsStore::Peek(m_programPath).languageFile);
}

void CBrelmoraApp::ApplyLanguageFile(const std::u16string& file)
{
    m_programInfo.Read(m_programPath);
    if (!m_libraryLoaded)
        m_resourceInfo = m_programInfo;

    const SLanguageChoice choice = ChooseLanguage(file, m_programPath);
    switch (choice.kind) {
    case SLanguageChoice::library:
        Platform::SetLanguageStrings(choice.table);
        m_resourceInfo = choice.info;
        m_libraryLoaded = true;
        break;
    case SLanguageChoice::builtIn:
        Platform::SetLanguageStrings(nullptr);
        m_resourceInfo = m_programInfo;
        m_libraryLoaded = false;
        break;
    case SLanguageChoice::unusable:
        // Any other outcome keeps the resources in use as they are.
        break;
    }
    m_translations.Apply(m_libraryLoaded ? m_resourceInfo.GetTranslation().language : 0);
}

void CBrelmoraApp::SetLanguageFile(const std::u16string& path)
{
    m_settings.SetLanguageFile(path);
    LoadLanguageLibrary();
}

void CBrelmoraApp::SetDateTimeFormat(uint32_t value)
{
    m_settings.SetDateTimeFormat(value);
}

std::u16string CBrelmoraApp::GetDateFormatString(uint32_t* stringId) const
{
    return Platform::GetDatePicture(m_settings.Values().dtFormat, stringId);
}

std::u16string CBrelmoraApp::GetTimeFormatString(uint32_t* stringId) const
{
    return Platform::GetTimePicture(m_settings.Values().dtFormat, stringId);
}

bool CBrelmoraApp::StartLibraries()
{
    bool ok = false;
    try {
        ok = StreamIO::Initialize();
        m_librariesStarted = true;
        // The device thread: its events and worker.
        ok = ok && Device::StartDeviceThread();
    } catch (const std::exception&) {
        ok = false;
    }
    if (!ok)
        AppMessages::ShowMessage(Gui::messageFatal, Platform::LoadString(AppStrings::kLibraryInitFailed));
    return ok;
}

void CBrelmoraApp::StopLibraries()
{
    if (!m_librariesStarted)
        return;
    m_librariesStarted = false;
    Device::StopDeviceThread();
    StreamIO::Shutdown();
}

void CBrelmoraApp::ShowSplashAndWait()
{
    if (m_splashMs <= 0)
        return;
    CSplashWnd::ShowSplashScreen(m_splashMs, m_programInfo);
    // The wait keeps the splash painted: events are handled meanwhile.
    QEventLoop loop;
    QTimer::singleShot(m_splashMs, &loop, &QEventLoop::quit);
    loop.exec();
}

bool CBrelmoraApp::CreateMainFrame(const std::vector<std::u16string>& args)
{
    try {
        m_mainFrame = std::make_unique<CMainFrame>(*this);
    } catch (const std::exception&) {
        m_mainFrame.reset();
        AppMessages::ShowMessage(Gui::messageFatal, Platform::LoadString(AppStrings::kMainFrameFailed));
        return false;
    }
    m_mainFrame->ReadCommandLine(ParseCommandLine(args));
    m_mainFrame->show();
    return true;
}
