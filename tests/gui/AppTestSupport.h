// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the application shell's tests: a QApplication on the offscreen
// platform, collected messages instead of modal boxes, a program folder of
// their own and a clean settings key.
#pragma once

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "GuiApplication.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/AppMessages.h"
#include "app/ShellOpen.h"
#include "platform/ErrorCodes.h"
#include "platform/ExecutableResources.h"
#include "platform/Registry.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "support/TestEnv.h"

namespace AppTest {

using GuiTest::EnsureApplication;

// Runs the event loop until `done` holds, at most `ms` milliseconds; false
// when it never did (a worker thread or a server still answering).
template <typename Predicate>
bool WaitUntil(Predicate done, int ms = 20000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QTest::qWait(10);
    }
    return true;
}

// Messages and questions go here instead of modal boxes while it lives.
class CMessageCollector {
public:
    explicit CMessageCollector(AppMessages::Answer answer = AppMessages::answerNo) : m_answer(answer)
    {
        AppMessages::SetMessageSink([this](const SAppMessage& m) { messages.push_back(m); });
        AppMessages::SetQuestionSink([this](const std::u16string& text) {
            questions.push_back(text);
            return m_answer;
        });
        ShellOpen::SetOpener([this](const QUrl& url) {
            opened.push_back(url);
            return true;
        });
    }
    ~CMessageCollector()
    {
        AppMessages::SetMessageSink(nullptr);
        AppMessages::SetQuestionSink(nullptr);
        ShellOpen::SetOpener(nullptr);
    }
    CMessageCollector(const CMessageCollector&) = delete;
    CMessageCollector& operator=(const CMessageCollector&) = delete;

    void SetAnswer(AppMessages::Answer answer) { m_answer = answer; }
    bool HasText(uint32_t id) const
    {
        const std::u16string text = Platform::LoadString(id);
        for (const SAppMessage& m : messages) {
            if (m.text.find(text) != std::u16string::npos)
                return true;
        }
        return false;
    }

    std::vector<SAppMessage> messages;
    std::vector<std::u16string> questions;
    std::vector<QUrl> opened;

private:
    AppMessages::Answer m_answer;
};

inline const char16_t* kSettingsKey = u"Software\\Vantor\\Brelmora\\Settings";

// Removes the program's settings (and the upgrade program's) from the
// test's registry file.
inline void ClearSettings()
{
    Platform::CRegKey key;
    if (key.Open(u"Software\\Vantor") == Platform::ERROR_SUCCESS) {
        key.RecurseDeleteKey(u"Brelmora\\Settings");
        key.RecurseDeleteKey(u"VnUpgrade");
    }
}

inline uint32_t QueryDword(const std::u16string& name, uint32_t& value, const char16_t* keyPath = kSettingsKey)
{
    Platform::CRegKey key;
    const uint32_t rc = key.Open(keyPath, Platform::CRegKey::Read);
    return rc != Platform::ERROR_SUCCESS ? rc : key.QueryDword(name, value);
}

inline uint32_t QueryString(const std::u16string& name, std::u16string& value, const char16_t* keyPath = kSettingsKey)
{
    Platform::CRegKey key;
    const uint32_t rc = key.Open(keyPath, Platform::CRegKey::Read);
    return rc != Platform::ERROR_SUCCESS ? rc : key.QueryString(name, value);
}

inline void SetDword(const std::u16string& name, uint32_t value)
{
    Platform::CRegKey key;
    ASSERT_EQ(key.Create(kSettingsKey), Platform::ERROR_SUCCESS);
    ASSERT_EQ(key.SetDword(name, value), Platform::ERROR_SUCCESS);
}

inline void SetString(const std::u16string& name, const std::u16string& value)
{
    Platform::CRegKey key;
    ASSERT_EQ(key.Create(kSettingsKey), Platform::ERROR_SUCCESS);
    ASSERT_EQ(key.SetString(name, value), Platform::ERROR_SUCCESS);
}

// A program folder of the test's own: "brelmora" (a link to this test
// program, which carries the program's version record) and, on request,
// the German library and the library of version 1.7.
class CProgramFolder {
public:
    explicit CProgramFolder(const std::string& name, bool german = false, bool old = false)
    {
        folder = TestEnv::TempDir() + "/" + name;
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        program = folder + "/brelmora";
        std::filesystem::create_symlink(Platform::OwnExecutablePath(), program);
        if (german)
            std::filesystem::create_symlink(BRELMORA_DEU_LIBRARY, folder + "/Brelmora_DEU.so");
        if (old)
            std::filesystem::create_symlink(BRELMORA_TST_LIBRARY, folder + "/Brelmora_TST.so");
    }
    ~CProgramFolder() { std::filesystem::remove_all(folder); }

    std::u16string Program() const { return Platform::FromUtf8(program); }
    std::u16string Folder() const { return Platform::FromUtf8(folder); }
    std::u16string File(const std::string& name) const { return Platform::FromUtf8(folder + "/" + name); }

    std::string folder;
    std::string program;
};

// Every shell test starts without settings, in English, with messages collected.
class CShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        ClearSettings();
        Platform::SetLanguageStrings(nullptr);
    }
    void TearDown() override { Platform::SetLanguageStrings(nullptr); }

    CMessageCollector m_messages;
};

} // namespace AppTest
