// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store when its file cannot take a change: locked by another
// program or grown to its size limit.  The store says so once, naming the
// file, instead of storing nothing without a word.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "RegistryTestSupport.h"
#include "platform/Registry.h"
#include "platform/RegistryFile.h"
#include "platform/SettingsStore.h"

namespace {

class CRecordedReport : public ISettingsReport {
public:
    void OnWriteFailed() override { ++writeFailed; }
    void OnUpgradeFolderProblem(uint32_t) override {}
    void OnSettingsFileUnusable(const std::u16string& text) override { fileMessages.push_back(text); }

    int writeFailed = 0;
    std::vector<std::u16string> fileMessages;
};

// Holds the settings file's lock as another program would.
class CHeldLock {
public:
    explicit CHeldLock(const std::string& settings) : m_fd(::open((settings + ".lock").c_str(), O_RDWR | O_CREAT, 0600))
    {
        EXPECT_GE(m_fd, 0);
        EXPECT_EQ(::flock(m_fd, LOCK_EX), 0);
    }
    ~CHeldLock() { ::close(m_fd); }

private:
    int m_fd;
};

} // namespace

TEST(SettingsFileReport, ALockedFileIsSaidOnceNamingTheFile)
{
    ScopedRegistryFile file("locked-settings.reg");
    Platform::SetRegistryLockTimeout(50);
    CRecordedReport report;
    {
        CHeldLock lock(file.Path());
        CSettingsStore store;
        store.SetReport(&report);
        store.Read(u"/opt/brelmora/brelmora");
        ASSERT_EQ(report.fileMessages.size(), 1u);
        EXPECT_NE(report.fileMessages[0].find(Platform::FromUtf8(file.Path())), std::u16string::npos);
        EXPECT_NE(report.fileMessages[0].find(u"locked by another program"), std::u16string::npos);
        // Later changes that fail for the same reason are not said again.
        EXPECT_FALSE(store.SetDateTimeFormat(0x0302));
        EXPECT_FALSE(store.SetLanguageFile(u"/opt/brelmora/Brelmora_DEU.so"));
        EXPECT_EQ(report.fileMessages.size(), 1u);
        EXPECT_EQ(report.writeFailed, 0);
    }
    // Without the lock the values are stored again.
    CSettingsStore store;
    store.SetReport(&report);
    EXPECT_TRUE(store.SetDateTimeFormat(0x0302));
    Platform::SetRegistryLockTimeout(5000);
}

TEST(SettingsFileReport, AFileAtItsSizeLimitIsSaidOnceNamingTheFile)
{
    ScopedRegistryFile file("full-settings.reg");
    // A sound file just below the 16 MiB limit: a change would pass it.
    std::string content = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Filler]\r\n";
    const std::string line = "\"" + std::string(60, 'v') + "\"=\"" + std::string(1000, 'x') + "\"\r\n";
    for (int i = 0; content.size() + line.size() < 16u * 1024 * 1024 - 64; ++i) {
        std::string numbered = line;
        const std::string n = std::to_string(i);
        numbered.replace(1, n.size(), n);
        content += numbered;
    }
    {
        std::ofstream out(file.Path(), std::ios::binary);
        out << content;
    }
    CRecordedReport report;
    CSettingsStore store;
    store.SetReport(&report);
    store.Read(u"/opt/brelmora/brelmora");
    ASSERT_EQ(report.fileMessages.size(), 1u);
    EXPECT_NE(report.fileMessages[0].find(Platform::FromUtf8(file.Path())), std::u16string::npos);
    EXPECT_FALSE(store.SetDateTimeFormat(0x0302));
    EXPECT_EQ(report.fileMessages.size(), 1u);
    EXPECT_EQ(report.writeFailed, 0);
    EXPECT_EQ(file.Read().size(), content.size());
}
