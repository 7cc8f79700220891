// The folder sink: a measurement is kept once by its identity, an edit adds
// a revision, a folder that cannot be used is refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <unistd.h>
#include <stdexcept>
#include <sys/stat.h>

#include "collect/SeriesFolderSink.h"
#include "data/PaperData.h"
#include "sim/SeriesGenerator.h"
#include "sim/SimContent.h"
#include "support/TestEnv.h"

namespace {

void Fill(CPaperData& data, size_t count, uint32_t seed)
{
    const std::vector<uint8_t> bytes = Sim::BuildSeriesBytes(Sim::GenerateSeries(count, seed));
    ASSERT_TRUE(data.ParseSeries(bytes.data(), bytes.size(), false, false, false));
}

size_t Files(const std::string& folder)
{
    size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        n += e.is_regular_file();
    return n;
}

std::string Fresh(const std::string& name)
{
    const std::string path = TestEnv::TempDir() + "/" + name;
    std::filesystem::remove_all(path);
    return path;
}

} // namespace

TEST(SeriesFolderSink, StoresOnceAndAddsARevisionForAnEdit)
{
    const std::string folder = Fresh("sink-revisions");
    Collect::CSeriesFolderSink sink(folder);
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    CPaperData original, current;
    Fill(original, 5, 3);
    Fill(current, 5, 3);
    auto c = sink.Store(original, current, u"download from COM3");
    EXPECT_EQ(c.added, 5);
    c = sink.Store(original, current, u"download from IP:10.0.0.7:3728");
    EXPECT_EQ(c.added, 0);
    EXPECT_EQ(c.unchanged, 5);
    EXPECT_EQ(Files(folder), 5u);

    // A corrected roll ID is the same measurement in a new revision; the
    // identity does not follow the edit.
    const std::string before = Collect::CSeriesFolderSink::Identity(current, 2);
    current.SetRollId(2, u"4711 corrected");
    EXPECT_EQ(Collect::CSeriesFolderSink::Identity(current, 2), before);
    c = sink.Store(original, current, u"download from COM3");
    EXPECT_EQ(c.revised, 1);
    EXPECT_EQ(c.unchanged, 4);
    EXPECT_TRUE(std::filesystem::exists(folder + "/" + before + ".r2"));
    c = sink.Store(original, current, u"download from COM3");
    EXPECT_EQ(c.unchanged, 5);
    EXPECT_EQ(Files(folder), 6u);
}

TEST(SeriesFolderSink, IdentityTellsMeasurementsApart)
{
    CPaperData data;
    Fill(data, 4, 9);
    std::set<std::string> ids;
    for (int i = 0; i < data.GetCount(); ++i)
        ids.insert(Collect::CSeriesFolderSink::Identity(data, i));
    EXPECT_EQ(ids.size(), 4u);
    // The same measurement downloaded again has the same identity.
    CPaperData again;
    Fill(again, 4, 9);
    EXPECT_EQ(ids.count(Collect::CSeriesFolderSink::Identity(again, 3)), 1u);
    // Another time stamp is another measurement.
    again.SetDateTime(3, again.GetDateTime(3) + 1);
    EXPECT_EQ(ids.count(Collect::CSeriesFolderSink::Identity(again, 3)), 0u);
}

TEST(SeriesFolderSink, RefusesWhatIsNoUsableFolder)
{
    const std::string file = Fresh("sink-a-file");
    { std::FILE* f = std::fopen(file.c_str(), "w"); ASSERT_NE(f, nullptr); std::fclose(f); }
    EXPECT_THROW(Collect::CSeriesFolderSink{file}, std::runtime_error);
    EXPECT_THROW(Collect::CSeriesFolderSink{TestEnv::TempDir() + "/no/such/parent"}, std::runtime_error);
    if (::geteuid() != 0) {
        const std::string locked = Fresh("sink-locked");
        ::mkdir(locked.c_str(), 0500);
        EXPECT_THROW(Collect::CSeriesFolderSink{locked}, std::runtime_error);
    }
}

TEST(SeriesFolderSink, AFailedStoreLeavesNothingAndTheNextOneCompletes)
{
    const std::string folder = Fresh("sink-failing");
    Collect::CSeriesFolderSink sink(folder);
    CPaperData original, current;
    Fill(original, 3, 5);
    Fill(current, 3, 5);
    // A link to nowhere under the second record's name cannot be read: the
    // transaction fails before any record is committed.
    const std::string blocker = folder + "/" + Collect::CSeriesFolderSink::Identity(original, 1) + ".r1";
    ASSERT_EQ(::symlink("/nonexistent/brelmora-test/record", blocker.c_str()), 0);
    EXPECT_THROW(sink.Store(original, current, u"x"), std::runtime_error);
    EXPECT_EQ(Files(folder), 0u);
    ::unlink(blocker.c_str());
    EXPECT_EQ(sink.Store(original, current, u"x").added, 3);
    EXPECT_EQ(Files(folder), 3u);
}
