// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and exit: the libraries started and stopped in order, the
// splash, the main frame with the command line.
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>

#include "app/BrelmoraApp.h"
#include "app/MainFrame.h"
#include "app/Splash.h"
#include "data/PaperDoc.h"
#include "streamio/ram/RamDisk.h"
#include "gui/AppTestSupport.h"

using namespace AppTest;

// The font library keeps a cache it never frees; under LeakSanitizer that
// is not the program's leak.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

// Every GUI test of this program runs with one QApplication.
class CQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override { EnsureApplication(); }
};
[[maybe_unused]] ::testing::Environment* const g_qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

class AppStartup : public CShellTest {};

TEST_F(AppStartup, InitInstanceStartsEverythingAndExitStopsIt)
{
    CProgramFolder dir("startup");
    const std::string project = dir.folder + "/start.vnr";
    std::filesystem::copy_file(std::string(BRELMORA_SOURCE_DIR) + "/examples/sample.vnr", project);

    CBrelmoraApp app;
    EXPECT_EQ(CBrelmoraApp::Instance(), &app);
    app.SetProgramPath(dir.Program());
    app.SetSplashTime(0);
    ASSERT_TRUE(app.InitInstance({dir.Program(), u"-ENERGY", Platform::FromUtf8(project)}));
    EXPECT_NE(StreamIO::GetRamDisk(), nullptr);
    ASSERT_NE(app.GetMainFrame(), nullptr);
    EXPECT_TRUE(app.GetMainFrame()->isVisible());
    EXPECT_TRUE(app.GetMainFrame()->GetDocument().IsEnergyMode());
    EXPECT_EQ(app.GetMainFrame()->GetDocument().GetPath(), Platform::FromUtf8(project));
    EXPECT_EQ(app.GetProgramVersionInfo().GetProductName(), u"Brelmora");
    EXPECT_TRUE(m_messages.messages.empty());

    app.ExitInstance();
    EXPECT_EQ(app.GetMainFrame(), nullptr);
    EXPECT_EQ(StreamIO::GetRamDisk(), nullptr);
    app.ExitInstance();   // a second exit does nothing
}

TEST(AppShowMessage, FourKindsWithTheirCaptionsAndClosingText)
{
    const std::u16string closing = Platform::LoadString(28551);
    const SAppMessage info = AppMessages::MakeMessage(0, u"t");
    EXPECT_EQ(info.caption, u"Information");
    EXPECT_EQ(info.icon, SAppMessage::iconInformation);
    EXPECT_EQ(info.text, u"t");
    const SAppMessage warning = AppMessages::MakeMessage(1, u"t");
    EXPECT_EQ(warning.caption, u"Warning");
    EXPECT_EQ(warning.icon, SAppMessage::iconWarning);
    EXPECT_EQ(warning.text, u"t");
    const SAppMessage error = AppMessages::MakeMessage(2, u"t");
    EXPECT_EQ(error.caption, u"Error");
    EXPECT_EQ(error.icon, SAppMessage::iconError);
    EXPECT_EQ(error.text, u"t" + closing);
    const SAppMessage fatal = AppMessages::MakeMessage(3, u"t");
    EXPECT_EQ(fatal.caption, u"Fatal Error");
    EXPECT_EQ(fatal.text, u"t" + closing);
}

TEST_F(AppStartup, SplashClosesItselfAndIsNeverShownTwice)
{
    CFileVersionInfo info;
    CSplashWnd::ShowSplashScreen(40, info);
    CSplashWnd* first = CSplashWnd::Current();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    CSplashWnd::ShowSplashScreen(40, info);
    EXPECT_EQ(CSplashWnd::Current(), first);
    EXPECT_TRUE(QTest::qWaitFor([] { return CSplashWnd::Current() == nullptr; }, 2000));

    CSplashWnd::EnableSplashScreen(false);
    CSplashWnd::ShowSplashScreen(40, info);
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    CSplashWnd::EnableSplashScreen(true);
}

} // namespace
