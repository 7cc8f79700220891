// SPDX-License-Identifier: GPL-3.0-or-later
// Where the archive is: addresses, the setting, the default file and the
// modes it is made with.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

#include "ArchiveTestSupport.h"
#include "archive/ArchiveError.h"
#include "archive/ArchiveLocation.h"
#include "archive/LabArchive.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "support/TestEnv.h"

namespace {

using Archive::EBackend;
using Archive::ParseArchiveLocation;

std::u16string Refusal(const std::u16string& address)
{
    try {
        ParseArchiveLocation(address);
    } catch (const Archive::CArchiveError& e) {
        return e.Text();
    }
    return {};
}

TEST(ArchiveLocation, AddressesOfBothBackends)
{
    EXPECT_EQ(ParseArchiveLocation(u"/data/lab.sqlite").path, "/data/lab.sqlite");
    EXPECT_EQ(ParseArchiveLocation(u"sqlite:relative/lab.db").path, "relative/lab.db");
    EXPECT_EQ(ParseArchiveLocation(u"SQLite:/x").backend, EBackend::Sqlite);
    const auto pg = ParseArchiveLocation(u"postgresql://lab@db.example:5433/brelmora");
    EXPECT_EQ(pg.backend, EBackend::Postgres);
    EXPECT_EQ(pg.conninfo, "postgresql://lab@db.example:5433/brelmora");
    EXPECT_EQ(ParseArchiveLocation(u"postgres:///brelmora?host=/run/postgresql").backend, EBackend::Postgres);
    // An at-sign in the path or query is no password.
    EXPECT_EQ(ParseArchiveLocation(u"postgresql:///db?host=/tmp/a@b").backend, EBackend::Postgres);
}

TEST(ArchiveLocation, PasswordsAndUnknownAddressesAreRefused)
{
    for (const char16_t* address : {u"postgresql://lab:secret@db/brelmora", u"postgres://:x@db/b",
                                    u"postgresql://db/brelmora?sslmode=require&Password=x"}) {
        const std::u16string text = Refusal(address);
        EXPECT_NE(text.find(u"PGPASSWORD or ~/.pgpass"), std::u16string::npos) << Platform::ToUtf8(address);
        EXPECT_EQ(text.find(u"secret"), std::u16string::npos) << "the password is not repeated";
    }
    EXPECT_FALSE(Refusal(u"mysql://db/x").empty());
    EXPECT_FALSE(Refusal(u"").empty());
    EXPECT_FALSE(Refusal(u"sqlite:").empty());
}

class ArchiveDefault : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* xdg = std::getenv("XDG_DATA_HOME");
        m_xdg = xdg != nullptr ? xdg : "";
        m_home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    }
    void TearDown() override
    {
        ::setenv("XDG_DATA_HOME", m_xdg.c_str(), 1);
        ::setenv("HOME", m_home.c_str(), 1);
        Platform::CRegKey key;
        if (key.Open(Archive::kSettingsKey) == 0)
            key.DeleteValue(Archive::kArchiveValue);
    }
    std::string m_xdg, m_home;
};

TEST_F(ArchiveDefault, XdgDataHomeThenHomeThenTheSettingThenTheRun)
{
    ::setenv("XDG_DATA_HOME", "/srv/data", 1);
    EXPECT_EQ(Archive::DefaultArchiveLocation().path, "/srv/data/brelmora/archive.sqlite");
    ::setenv("XDG_DATA_HOME", "relative", 1);   // only an absolute one counts
    ::setenv("HOME", "/home/lab", 1);
    EXPECT_EQ(Archive::DefaultArchiveLocation().path, "/home/lab/.local/share/brelmora/archive.sqlite");
    EXPECT_TRUE(Archive::ResolveArchiveLocation(std::nullopt).isDefault);

    Platform::CRegKey key;
    ASSERT_EQ(key.Create(Archive::kSettingsKey), 0u);
    ASSERT_EQ(key.SetString(Archive::kArchiveValue, u"postgresql://lab@db/brelmora"), 0u);
    EXPECT_EQ(Archive::ResolveArchiveLocation(std::nullopt).backend, EBackend::Postgres);
    EXPECT_EQ(Archive::ResolveArchiveLocation(u"/tmp/one-run.sqlite").path, "/tmp/one-run.sqlite");
    ASSERT_EQ(key.SetString(Archive::kArchiveValue, u"postgresql://lab:pw@db/brelmora"), 0u);
    try {
        Archive::ResolveArchiveLocation(std::nullopt);
        ADD_FAILURE() << "a password in the setting was taken";
    } catch (const Archive::CArchiveError& e) {
        EXPECT_EQ(e.Text().rfind(u"Archive: ", 0), 0u) << "names the setting: " << e.what();
    }
}

TEST_F(ArchiveDefault, TheDefaultFileIsMadeOnFirstWriteWithPrivateModes)
{
    const std::string xdg = TestEnv::TempDir() + "/fresh-xdg/share";
    ::setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    const Archive::SArchiveLocation location = Archive::DefaultArchiveLocation();
    // Reading creates nothing.
    EXPECT_THROW(Archive::CLabArchive::Open(location, Archive::CLabArchive::EMode::Read), Archive::CArchiveError);
    struct stat st {};
    EXPECT_NE(::stat((xdg + "/brelmora").c_str(), &st), 0);

    const ::mode_t old = ::umask(0);   // modes must not depend on the umask
    auto archive = Archive::CLabArchive::Open(location, Archive::CLabArchive::EMode::Write);
    ::umask(old);
    ASSERT_EQ(::stat((xdg + "/brelmora").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(xdg.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(location.path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    archive.reset();
    // The log files SQLite makes beside it take the file's mode.
    if (::stat((location.path + "-wal").c_str(), &st) == 0) {
        EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
}

} // namespace
