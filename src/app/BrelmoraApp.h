// SPDX-License-Identifier: GPL-3.0-or-later
// CBrelmoraApp: the application object.  It reads and repairs the settings,
// chooses the language library, starts the stream library and the device
// thread, shows the splash and creates the main frame; at exit it stops the
// device thread and shuts the stream library down.  It also hands out the
// date and time pictures every shown date uses.
//
// One instance exists while the program runs (Instance()); it lives beside
// the QApplication, which the caller creates first.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/AppTranslator.h"
#include "app/SettingsReport.h"
#include "platform/SettingsStore.h"
#include "update/FileVersionInfo.h"

class CDemoMode;
class CMainFrame;

class CBrelmoraApp {
public:
    CBrelmoraApp();
    ~CBrelmoraApp();
    CBrelmoraApp(const CBrelmoraApp&) = delete;
    CBrelmoraApp& operator=(const CBrelmoraApp&) = delete;

    // The application object, or null when none exists.
    static CBrelmoraApp* Instance();

    // The program file (default: the running program).  Its folder holds the
    // language libraries and the upgrade program.
    void SetProgramPath(const std::u16string& path) { m_programPath = path; }
    const std::u16string& GetProgramPath() const { return m_programPath; }
    std::u16string GetProgramFolder() const;

    // The time the splash stays up and start-up waits for it; 0 shows no
    // splash and does not wait (tests, screenshots).
    void SetSplashTime(int ms) { m_splashMs = ms; }

    // Start-up; `args` as the command line (args[0] the program).  False
    // when the program has to end.
    bool InitInstance(const std::vector<std::u16string>& args);
    // Destroys the main frame, stops the device thread, then shuts the
    // stream library down.  Safe to call more than once.
    int ExitInstance();

    // Settings.
    void ReadSettings();
    // Applies "LanguageFile": a library that passes the version check becomes
    // the source of every text; the program file means the built-in texts.
    void LoadLanguageLibrary();
    // For output without a window: the language library of the stored
    // settings, read without repairing or writing anything.
    void PrepareWithoutWindow();
    // Stores a new "LanguageFile" and loads it at once.
    void SetLanguageFile(const std::u16string& path);
    // Stores a new "DTFormat".
    void SetDateTimeFormat(uint32_t value);
    uint32_t GetDateTimeFormat() const { return m_settings.Values().dtFormat; }
    std::u16string GetDateFormatString(uint32_t* stringId = nullptr) const;
    std::u16string GetTimeFormatString(uint32_t* stringId = nullptr) const;
    const std::u16string& GetPfad() const { return m_settings.Values().pfad; }
    const std::u16string& GetLanguageFile() const { return m_settings.Values().languageFile; }
    const SSettings& GetSettings() const { return m_settings.Values(); }

    // Version records: the program file's, and that of the resources in use
    // (the language library when one is loaded).
    const CFileVersionInfo& GetProgramVersionInfo() const { return m_programInfo; }
    const CFileVersionInfo& GetResourceVersionInfo() const { return m_resourceInfo; }
    // True while a language library's texts are in use.
    bool IsLanguageLibraryLoaded() const { return m_libraryLoaded; }

    // Creates and shows the main frame and reads the command line into it.
    bool CreateMainFrame(const std::vector<std::u16string>& args);
    CMainFrame* GetMainFrame() const { return m_mainFrame.get(); }

    // The demo mode (--demo): started by InitInstance before the main frame
    // and stopped after it.  Null when the program runs without it.
    CDemoMode* GetDemo() const { return m_demo.get(); }
    // Starts the demo's simulated instrument (InitInstance does, for
    // "--demo"); false after the message saying why.
    bool StartDemo();

private:
    // Stream library and device thread; false (after message 1006) when
    // either cannot be started.
    bool StartLibraries();
    void ApplyLanguageFile(const std::u16string& file);
    void StopLibraries();
    void ShowSplashAndWait();

    std::u16string m_programPath;
    int m_splashMs = 1000;
    CSettingsMessages m_settingsMessages;
    CSettingsStore m_settings;
    CFileVersionInfo m_programInfo;
    CFileVersionInfo m_resourceInfo;
    bool m_libraryLoaded = false;
    bool m_librariesStarted = false;
    CAppTranslations m_translations;
    std::unique_ptr<CDemoMode> m_demo;
    std::unique_ptr<CMainFrame> m_mainFrame;
};
