// SPDX-License-Identifier: GPL-3.0-or-later
// Screenshots of the update wizard's two pages in English and German,
// against a loopback FTP server.  Taken only when BRELMORA_SCREENSHOT_DIR
// names the folder (scripts/screenshots).
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "app/update/AutoUpdate.h"
#include "app/update/PageDownload.h"
#include "gui/AppTestSupport.h"
#include "gui/ScreenshotPalette.h"
#include "platform/LanguageTable.h"
#include "support/FtpTestServer.h"

using namespace AppTest;

namespace {

class AppUpdateScreenshots : public CShellTest {};

TEST_F(AppUpdateScreenshots, BothPagesInBothLanguages)
{
    const QString dir = qEnvironmentVariable("BRELMORA_SCREENSHOT_DIR");
    const QString suffix = qEnvironmentVariable("BRELMORA_SCREENSHOT_SUFFIX");
    if (dir.isEmpty())
        GTEST_SKIP() << "takes screenshots: runs only with scripts/screenshots (BRELMORA_SCREENSHOT_DIR)";
    ScreenshotPalette::UseDarkPaletteWhenAsked();
    TestEnv::CFtpTestServer server("shots", "slow");
    ASSERT_TRUE(server.Ready()) << server.Log();
    server.Put("VnUpgrade/Brelmora/Setup_V_1_9_0_0.exe", std::string(6u << 20, 'x'));
    for (const bool german : {false, true}) {
        Platform::SetLanguageStrings(german ? Platform::LoadLanguageTable(std::string(BRELMORA_DEU_LIBRARY)) : nullptr);
        const std::string folder = TestEnv::TempDir() + (german ? "/shots-de" : "/shots-en");
        std::filesystem::create_directories(folder);
        CAutoUpdate wizard(nullptr, Update::SProgramIdentity::Make(u"Brelmora", u"1.8.1.0"),
                           Update::ParseFtpServer(Platform::FromUtf8(server.Url())), QString::fromStdString(folder));
        wizard.resize(520, 320);
        wizard.BeginRun();
        wizard.show();
        ASSERT_TRUE(WaitUntil([&] { return wizard.GetWizardButtons() == CAutoUpdate::buttonsNext; }));
        const QString lang = german ? QStringLiteral("de") : QStringLiteral("en");
        QTest::qWait(50);
        EXPECT_TRUE(wizard.grab().save(dir + QStringLiteral("/app-update-search-") + lang + suffix + QStringLiteral(".png")));
        QTest::mouseClick(wizard.NextButton(), Qt::LeftButton);
        ASSERT_TRUE(WaitUntil([&] { return wizard.DownloadPage()->Progress() >= 20; }));
        QTest::qWait(50);
        EXPECT_TRUE(wizard.grab().save(dir + QStringLiteral("/app-update-download-") + lang + suffix + QStringLiteral(".png")));
        QTest::mouseClick(wizard.CancelButton(), Qt::LeftButton);
    }
    Platform::SetLanguageStrings(nullptr);
}

} // namespace
