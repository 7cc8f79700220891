// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program started for real (offscreen, with its splash) while a
// message is due at start-up: a missing or damaged project on the command
// line, a bad upgrade folder (an unknown switch is refused before any window:
// AppWindowlessOutput).  The
// program must show the message and keep running past the splash's time,
// until it is told to stop.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

#include "app/Splash.h"
#include "controls/MessageBox.h"
#include "gui/GuiApplication.h"
#include "support/ChildProcess.h"
#include "update/FileVersionInfo.h"
#include "support/TestEnv.h"

namespace {

struct SStartCase {
    const char* name;
    std::vector<std::string> args;
    std::string pfad;      // "Pfad" setting, empty: none stored
    std::string expected;  // text on standard error
};

std::string Folder(const std::string& name)
{
    const std::string dir = TestEnv::TempDir() + "/start-" + name;
    std::filesystem::create_directories(dir);
    ::chmod(dir.c_str(), 0700);   // also the runtime folder Qt wants private
    return dir;
}

// A settings file of its own: no COM port leads anywhere, and "Pfad" is
// stored when the case names one.
std::string WriteRegistry(const std::string& dir, const std::string& pfad)
{
    const std::string path = dir + "/registry.reg";
    std::ofstream out(path, std::ios::binary);
    out << "Windows Registry Editor Version 5.00\r\n\r\n";
    out << "[HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Ports]\r\n";
    for (int n = 1; n <= 256; ++n)
        out << "\"COM" << n << "\"=\"/nonexistent/brelmora-test/COM" << n << "\"\r\n";
    if (!pfad.empty()) {
        out << "\r\n[HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Settings]\r\n";
        out << "\"Pfad\"=\"" << pfad << "\"\r\n";
    }
    return path;
}

void RunStartCase(const SStartCase& c, const std::string& dir)
{
    const std::string program = std::string(BRELMORA_BINARY_DIR) + "/bin/brelmora";
    TestEnv::CChildProcess child(program, c.args,
                                 {{"QT_QPA_PLATFORM", "offscreen"},
                                  {"BRELMORA_REGISTRY", WriteRegistry(dir, c.pfad)},
                                  {"XDG_RUNTIME_DIR", dir},
                                  {"XDG_CONFIG_HOME", dir},
                                  {"BRELMORA_NO_SPLASH", "0"}},
                                 dir + "/stderr.txt");
    ASSERT_TRUE(child.WaitForStderr(c.expected, 15000)) << c.name << ": " << child.Stderr();
    // The splash is up for 1000 ms; its end must not take the message down.
    std::this_thread::sleep_for(std::chrono::milliseconds(1800));
    EXPECT_TRUE(child.Running()) << c.name << " ended with status " << child.Status() << ": " << child.Stderr();
    child.Stop(SIGTERM);
    ASSERT_TRUE(child.Ended());
    EXPECT_TRUE(WIFSIGNALED(child.Status()) && WTERMSIG(child.Status()) == SIGTERM)
        << c.name << " ended with status " << child.Status();
}

TEST(AppStartupMessages, ProgramSurvivesEveryMessageAtStartUp)
{
    const std::string damagedDir = Folder("damaged");
    const std::string damaged = damagedDir + "/damaged.vnr";
    // The sample cut short: it cannot be read.
    std::filesystem::copy_file(std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr", damaged);
    std::filesystem::resize_file(damaged, std::filesystem::file_size(damaged) * 2 / 3);

    const std::string pfadFile = Folder("pfadfile") + "/not-a-folder";
    std::ofstream(pfadFile) << "x";
    const std::string readOnly = Folder("readonly") + "/upgrade";
    std::filesystem::create_directories(readOnly);
    ::chmod(readOnly.c_str(), 0555);

    const std::string notAProject = "This is not a Brelmora project file";
    const std::vector<SStartCase> cases = {
        {"missing", {Folder("missing") + "/missing.vnr"}, "", notAProject},
        {"damaged", {damaged}, "", notAProject},
        {"pfad-file", {}, pfadFile, "The folder for saving the files is incorrect"},
        {"pfad-read-only", {}, readOnly, "You don't have write permission"},
    };
    for (const SStartCase& c : cases)
        RunStartCase(c, Folder(std::string(c.name) + "-run"));
    ::chmod(readOnly.c_str(), 0755);
}

TEST(AppStartupMessages, SplashNeverOwnsADialogAndGoesBeforeAMessage)
{
    GuiTest::EnsureApplication();
    CSplashWnd::ShowSplashScreen(60000, CFileVersionInfo());
    CSplashWnd* splash = CSplashWnd::Current();
    ASSERT_NE(splash, nullptr);
    splash->activateWindow();
    EXPECT_NE(Gui::DialogParent(), splash);
    CSplashWnd::Dismiss();
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    CSplashWnd::Dismiss();   // nothing up: nothing happens
}

} // namespace
