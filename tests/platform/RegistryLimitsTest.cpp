// SPDX-License-Identifier: GPL-3.0-or-later
// The registry store against hostile or busy settings files: deep and wide
// files parse in linear time, an unchanged file is parsed once, a lock held
// by another program is waited for only so long, and a stop request ends
// the wait; no change writes a file larger than a read takes.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/RegistryFile.h"
#include "platform/StopRequest.h"
#include "RegistryTestSupport.h"

using namespace Platform;

namespace {

const std::u16string kSettings = u"Software\\Vantor\\Brelmora\\Settings";

std::string Header() { return "Windows Registry Editor Version 5.00\r\n\r\n"; }

std::string DeepKey(size_t levels)
{
    std::string path = "HKEY_CURRENT_USER";
    for (size_t i = 1; i < levels; ++i)
        path += "\\k";
    return "[" + path + "]\r\n\"v\"=dword:00000001\r\n";
}

// Sets the file's times into the past, so the store may keep its parse.
void MakeOld(const std::string& path, int secondsAgo)
{
    timespec times[2];
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec -= secondsAgo;
    times[1] = times[0];
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

} // namespace

TEST(RegistryLimits, DeepAndWideFilesParseInLinearTime)
{
    CRegDocument doc;
    // 16,000 levels in 32 KB: refused as damaged at once (deeper than the
    // 512 levels the registry allows), not built level by level.
    EXPECT_FALSE(doc.Parse(Header() + DeepKey(16000)));

    ASSERT_TRUE(doc.Parse(Header() + DeepKey(CRegDocument::kMaxDepth)));
    std::u16string deepest = u"HKEY_CURRENT_USER";
    for (size_t i = 1; i < CRegDocument::kMaxDepth; ++i)
        deepest += u"\\k";
    ASSERT_NE(doc.FindValue(deepest, u"v"), nullptr);
    EXPECT_FALSE(doc.CreateKey(deepest + u"\\one-too-many"));
    // The deep key survives a round trip through the text form.
    CRegDocument again;
    ASSERT_TRUE(again.Parse(doc.Serialize()));
    EXPECT_NE(again.FindValue(deepest, u"v"), nullptr);

    // More keys than any settings file holds: refused rather than built.
    std::string many = Header();
    for (size_t i = 0; i < CRegDocument::kMaxKeys; ++i)
        many += "[HKEY_CURRENT_USER\\k" + std::to_string(i) + "]\r\n";
    EXPECT_FALSE(doc.Parse(many));

    // A key name longer than the registry allows is damage too.
    EXPECT_FALSE(doc.Parse(Header() + "[HKEY_CURRENT_USER\\" + std::string(256, 'n') + "]\r\n"));

    // 100,000 values set and deleted in turn in one key: each step is cheap,
    // and the survivors keep their order.
    std::string wide = Header() + "[HKEY_CURRENT_USER\\Wide]\r\n";
    for (int i = 0; i < 100000; ++i) {
        wide += "\"v" + std::to_string(i) + "\"=dword:00000001\r\n";
        if (i % 2 == 1)
            wide += "\"v" + std::to_string(i - 1) + "\"=-\r\n";
    }
    ASSERT_TRUE(doc.Parse(wide));
    const std::vector<std::u16string> names = doc.ValueNames(u"HKEY_CURRENT_USER\\Wide");
    ASSERT_EQ(names.size(), 50000u);
    EXPECT_EQ(names.front(), u"v1");
    EXPECT_EQ(names.back(), u"v99999");
}

TEST(RegistryLimits, AnUnchangedFileIsParsedOnceAndAChangedOneAgain)
{
    ScopedRegistryFile file("cache.reg");
    file.Write(Header() + "[HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Settings]\r\n\"DTFormat\"=dword:00000001\r\n");
    MakeOld(file.Path(), 20);

    uint32_t rc = 0;
    const auto first = ReadRegistryShared(file.Path(), rc);
    ASSERT_EQ(rc, ERROR_SUCCESS);
    const auto second = ReadRegistryShared(file.Path(), rc);
    EXPECT_EQ(first.get(), second.get());   // the same parse, handed out again

    // Edited in place with the same size: its times tell.
    file.Write(Header() + "[HKEY_CURRENT_USER\\Software\\Vantor\\Brelmora\\Settings]\r\n\"DTFormat\"=dword:00000002\r\n");
    MakeOld(file.Path(), 10);
    CRegKey key;
    ASSERT_EQ(key.Open(kSettings, CRegKey::Read), ERROR_SUCCESS);
    uint32_t value = 0;
    ASSERT_EQ(key.QueryDword(u"DTFormat", value), ERROR_SUCCESS);
    EXPECT_EQ(value, 2u);

    // A change through the store replaces the file: seen at once.
    CRegKey writer;
    ASSERT_EQ(writer.Create(kSettings), ERROR_SUCCESS);
    ASSERT_EQ(writer.SetDword(u"DTFormat", 3), ERROR_SUCCESS);
    ASSERT_EQ(key.QueryDword(u"DTFormat", value), ERROR_SUCCESS);
    EXPECT_EQ(value, 3u);

    // A damaged file stays damaged while it is unchanged, and is never written.
    file.Write("no registry\r\n");
    MakeOld(file.Path(), 5);
    EXPECT_EQ(key.QueryDword(u"DTFormat", value), ERROR_INVALID_DATA);
    EXPECT_EQ(key.QueryDword(u"DTFormat", value), ERROR_INVALID_DATA);
    EXPECT_EQ(writer.SetDword(u"DTFormat", 4), ERROR_INVALID_DATA);
    EXPECT_EQ(file.Read(), "no registry\r\n");
}

TEST(RegistryLimits, AChangeThatWouldPassTheSizeLimitLeavesTheFileAsItWas)
{
    ScopedRegistryFile file("too-large.reg");
    CRegKey key;
    ASSERT_EQ(key.Create(kSettings), ERROR_SUCCESS);
    ASSERT_EQ(key.SetDword(u"DTFormat", 2), ERROR_SUCCESS);
    const std::string before = file.Read();
    // 3 MB of binary data take 9 million characters of hex text, 18 MB in
    // UTF-16: more than any read would take.
    const std::vector<uint8_t> big(3 * 1024 * 1024, 0xAB);
    EXPECT_EQ(key.SetBinary(u"Big", big), ERROR_FILE_TOO_LARGE);
    EXPECT_EQ(file.Read(), before);
    uint32_t value = 0;
    EXPECT_EQ(key.QueryDword(u"DTFormat", value), ERROR_SUCCESS);
    EXPECT_EQ(value, 2u);
    uint32_t type = 0;
    EXPECT_EQ(key.QueryValueType(u"Big", type), ERROR_FILE_NOT_FOUND);
}

TEST(RegistryLimits, ALockHeldElsewhereIsWaitedForOnlySoLong)
{
    ScopedRegistryFile file("locked.reg");
    CRegKey key;
    ASSERT_EQ(key.Create(kSettings), ERROR_SUCCESS);
    ASSERT_EQ(key.SetDword(u"DTFormat", 1), ERROR_SUCCESS);

    // Another program holds the lock (a second open file description
    // conflicts with ours just as another process's would).
    const int other = ::open((file.Path() + ".lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    SetRegistryLockTimeout(200);
    EXPECT_EQ(key.SetDword(u"DTFormat", 2), ERROR_LOCK_VIOLATION);

    // A stop request (SIGTERM pending for this thread) ends the wait at once.
    sigset_t term;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &term, nullptr), 0);
    SetRegistryLockTimeout(60000);
    ASSERT_EQ(pthread_kill(pthread_self(), SIGTERM), 0);
    EXPECT_TRUE(StopRequested());
    EXPECT_EQ(key.SetDword(u"DTFormat", 2), ERROR_OPERATION_ABORTED);
    const timespec none{0, 0};
    EXPECT_EQ(sigtimedwait(&term, nullptr, &none), SIGTERM);
    ASSERT_EQ(pthread_sigmask(SIG_UNBLOCK, &term, nullptr), 0);
    EXPECT_FALSE(StopRequested());

    // Nothing was changed; once the lock is free, changes go through again.
    uint32_t value = 0;
    ASSERT_EQ(key.QueryDword(u"DTFormat", value), ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    ::close(other);
    SetRegistryLockTimeout(5000);
    EXPECT_EQ(key.SetDword(u"DTFormat", 2), ERROR_SUCCESS);
}
