// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware upgrade launch: the upgrade program's registry values, its
// arguments, the wait for its end, and a clear message when it is missing.
#include <gtest/gtest.h>

#include <QMenu>
#include <filesystem>
#include <fstream>

#include "app/AppStrings.h"
#include "app/BrelmoraApp.h"
#include "app/Commands.h"
#include "app/FirmwareUpgrade.h"
#include "app/MainFrame.h"
#include "gui/AppTestSupport.h"

using namespace AppTest;

namespace {

class AppFirmwareUpgrade : public CShellTest {};

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(AppFirmwareUpgrade, WritesItsSettingsRunsItAndWaits)
{
    CProgramFolder dir("upgrade");
    // A stand-in upgrade program: it records its arguments after a pause,
    // so the file exists only when the launch really waited for its end.
    const std::string script = dir.folder + "/VnUpgrade";
    std::ofstream(script) << "#!/bin/sh\nsleep 0.3\necho \"$@\" > \"$(dirname \"$0\")/args.txt\"\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);

    CBrelmoraApp app;
    app.SetProgramPath(dir.Program());
    app.ReadSettings();
    app.LoadLanguageLibrary();
    CMainFrame frame(app);
    frame.OnNewProgramVersion(CVersion::FromMessageParams(9 * 65536 + 1, 0));
    frame.OnNewFirmwareVersion(CVersion::FromMessageParams(3 * 65536 + 2, 0));
    ASSERT_EQ(frame.UpdateMenu()->actions().size(), 2);

    frame.OnCommand(Commands::ID_UPGRADE);
    EXPECT_EQ(ReadAll(dir.folder + "/args.txt"), "-DeviceTypeList 07-00000-0\n");
    EXPECT_TRUE(m_messages.messages.empty());
    EXPECT_TRUE(frame.isEnabled());

    const char16_t* key = u"Software\\Vantor\\VnUpgrade\\Settings";
    std::u16string value;
    ASSERT_EQ(QueryString(u"Pfad", value, key), 0u);
    EXPECT_EQ(value, dir.Folder());
    ASSERT_EQ(QueryString(u"LanguageFile", value, key), 0u);
    EXPECT_EQ(value, dir.Folder() + u"/VnUpgrade");

    // The firmware item has left the update menu; the program's stays.
    EXPECT_FALSE(frame.NewFirmwareVersion().IsValid());
    ASSERT_NE(frame.UpdateMenu(), nullptr);
    ASSERT_EQ(frame.UpdateMenu()->actions().size(), 1);
    EXPECT_EQ(frame.UpdateMenu()->actions()[0]->data().toInt(), Commands::ID_UPDATE_PROGRAM);
}

TEST_F(AppFirmwareUpgrade, MissingProgramIsReportedNotIgnored)
{
    CProgramFolder dir("no-upgrade");
    EXPECT_FALSE(FirmwareUpgrade::RunAndWait(dir.Folder(), nullptr));
    ASSERT_EQ(m_messages.messages.size(), 1u);
    EXPECT_EQ(m_messages.messages[0].icon, SAppMessage::iconError);
    EXPECT_NE(m_messages.messages[0].text.find(dir.Folder() + u"/VnUpgrade"), std::u16string::npos);

    // A file that cannot be run is reported too.
    std::ofstream(dir.folder + "/VnUpgrade") << "no program";
    std::filesystem::permissions(dir.folder + "/VnUpgrade", std::filesystem::perms::owner_read);
    m_messages.messages.clear();
    EXPECT_FALSE(FirmwareUpgrade::RunAndWait(dir.Folder(), nullptr));
    ASSERT_EQ(m_messages.messages.size(), 1u);
    EXPECT_NE(m_messages.messages[0].text.find(Platform::LoadString(AppStrings::kUpgradeProgramFailed).substr(0, 20)),
              std::u16string::npos);
}

} // namespace
