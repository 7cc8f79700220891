// SPDX-License-Identifier: GPL-3.0-or-later
// One pass over one simulated instrument: what is stored, saved and deleted,
// and what is kept on the instrument when anything is not as downloaded.
#ifdef BRELMORA_HAVE_SIM

#include "CollectTestSupport.h"

#include <filesystem>

#include "data/PaperDoc.h"
#include "platform/Text.h"
#include "streamio/VnArchive.h"
#include "support/TestEnv.h"

using namespace CollectTest;
using Collect::EEvent;
using Collect::EPassResult;

namespace {

constexpr int kCom = 51;

std::string NewFolder(const std::string& name)
{
    const std::string path = TestEnv::TempDir() + "/" + name;
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path;
}

} // namespace

TEST(CollectPass, ArchivesSavesAndDeletesWhenTheInstrumentHoldsWhatCame)
{
    auto sim = OnComPort(kCom, MakeInstrument(7, 3));
    CMemorySink sink;
    CRecordingHost host;
    Collect::SPassOptions options;
    options.sink = &sink;
    options.saveDir = NewFolder("pass-save");
    options.deleteAfterArchive = true;
    const auto report = Collect::RunPass(Collect::ComPortTarget(kCom, false), options, host);
    EXPECT_EQ(report.result, EPassResult::Collected) << Platform::ToUtf8(report.cause);
    EXPECT_EQ(report.downloaded, 7);
    EXPECT_EQ(sink.Size(), 7u);
    EXPECT_EQ(sink.lastPort, "COM51");
    EXPECT_EQ(sim->Held(), 0u);
    EXPECT_EQ(host.critical.load(), 0);
    // The order of the steps is the delete rule's: stored, on the disk, deleted.
    std::vector<EEvent> kinds;
    for (const auto& e : host.log.Events())
        kinds.push_back(e.kind);
    EXPECT_EQ(kinds, (std::vector<EEvent>{EEvent::Found, EEvent::Downloaded, EEvent::Archived, EEvent::Saved,
                                          EEvent::Deleted}));
    // The project file holds the series as downloaded, and opens.
    const auto events = host.log.Events();
    const std::string file = events[3].file;
    EXPECT_EQ(std::filesystem::path(file).filename().string().rfind("VT-20417_", 0), 0u) << file;
    CPaperDoc doc;
    EXPECT_TRUE(doc.OpenProject(Platform::FromUtf8(file)));
    EXPECT_EQ(doc.GetOriginal().GetCount(), 7);
    EXPECT_FALSE(sim->instrument->GetRemoteMode());
}

TEST(CollectPass, ASeriesMeasuredBeforeTheDeleteKeepsEverySeriesForTheNextPass)
{
    auto sim = OnComPort(kCom, MakeInstrument(5, 4, "measure-after-download"));
    CMemorySink sink;
    CRecordingHost host;
    Collect::SPassOptions options;
    options.sink = &sink;
    options.deleteAfterArchive = true;
    const auto target = Collect::ComPortTarget(kCom, false);
    auto report = Collect::RunPass(target, options, host);
    EXPECT_EQ(report.result, EPassResult::Collected);
    ASSERT_EQ(host.log.Count(EEvent::Kept), 1);
    EXPECT_EQ(host.log.Count(EEvent::Deleted), 0);
    const auto kept = host.log.Events().back();
    EXPECT_EQ(kept.series, 5);
    EXPECT_EQ(kept.heldNow, 6);
    EXPECT_EQ(sim->Held(), 6u);
    EXPECT_EQ(sink.Size(), 5u);

    // The next pass takes the late one; the five are not stored again.
    CRecordingHost second;
    report = Collect::RunPass(target, options, second);
    EXPECT_EQ(report.result, EPassResult::Collected);
    EXPECT_EQ(report.downloaded, 6);
    EXPECT_EQ(sink.Size(), 6u);
    const auto events = second.log.Events();
    bool archived = false;
    for (const auto& e : events) {
        if (e.kind == EEvent::Archived) {
            archived = true;
            EXPECT_EQ(e.counts.added, 1);
            EXPECT_EQ(e.counts.unchanged, 5);
        }
    }
    EXPECT_TRUE(archived);
    EXPECT_EQ(second.log.Count(EEvent::Deleted), 1);
    EXPECT_EQ(sim->Held(), 0u);
}

TEST(CollectPass, NothingIsDeletedWhenTheArchiveOrTheProjectFileFails)
{
    auto sim = OnComPort(kCom, MakeInstrument(4, 5));
    const auto target = Collect::ComPortTarget(kCom, false);
    {
        CMemorySink sink;
        sink.fail = true;
        CRecordingHost host;
        Collect::SPassOptions options;
        options.sink = &sink;
        options.deleteAfterArchive = true;
        const auto report = Collect::RunPass(target, options, host);
        EXPECT_EQ(report.result, EPassResult::Failed);
        ASSERT_EQ(host.log.Count(EEvent::Error), 1);
        for (const auto& e : host.log.Events()) {
            if (e.kind == EEvent::Error) {
                EXPECT_EQ(e.step, Collect::EStep::Archive);
                EXPECT_NE(Platform::ToUtf8(e.cause).find("the archive is full"), std::string::npos);
            }
        }
        EXPECT_EQ(host.log.Count(EEvent::Deleted), 0);
        EXPECT_EQ(sim->Held(), 4u);
    }
    {
        // The archive took them, but the project file asked for cannot be
        // written: the instrument keeps its series.
        CMemorySink sink;
        CRecordingHost host;
        Collect::SPassOptions options;
        options.sink = &sink;
        options.saveDir = TestEnv::TempDir() + "/no/such/folder";
        options.deleteAfterArchive = true;
        const auto report = Collect::RunPass(target, options, host);
        EXPECT_EQ(report.result, EPassResult::Failed);
        EXPECT_EQ(sink.Size(), 4u);
        EXPECT_EQ(host.log.Count(EEvent::Kept), 1);
        EXPECT_EQ(host.log.Count(EEvent::Deleted), 0);
        EXPECT_EQ(sim->Held(), 4u);
    }
    {
        // Without an archive nothing is ever deleted.
        CRecordingHost host;
        Collect::SPassOptions options;
        options.saveDir = NewFolder("pass-no-archive");
        options.deleteAfterArchive = true;
        Collect::RunPass(target, options, host);
        EXPECT_EQ(host.log.Count(EEvent::Saved), 1);
        EXPECT_EQ(sim->Held(), 4u);
    }
}

TEST(CollectPass, AbsentEmptyAndLostInstrumentsAreToldApart)
{
    CMemorySink sink;
    Collect::SPassOptions options;
    options.sink = &sink;
    options.deleteAfterArchive = true;
    const auto target = Collect::ComPortTarget(kCom, false);
    {
        // The port's device file does not exist.
        CRecordingHost host;
        const auto report = Collect::RunPass(target, options, host);
        EXPECT_EQ(report.result, EPassResult::Absent);
        EXPECT_FALSE(report.cause.empty());
        EXPECT_TRUE(host.log.Events().empty());
    }
    {
        auto sim = OnComPort(kCom, MakeInstrument(0, 6));
        CRecordingHost host;
        EXPECT_EQ(Collect::RunPass(target, options, host).result, EPassResult::Empty);
        EXPECT_EQ(host.log.Count(EEvent::Found), 1);
        EXPECT_EQ(sink.calls, 0);
    }
    {
        // The line goes away in the middle of the series.
        auto sim = OnComPort(kCom, MakeInstrument(6, 7, "hangup"));
        CRecordingHost host;
        const auto report = Collect::RunPass(target, options, host);
        EXPECT_EQ(report.result, EPassResult::Lost);
        EXPECT_EQ(sink.calls, 0);
        EXPECT_EQ(sim->Held(), 6u);
    }
    {
        // Firmware that cannot transfer series is an error, said once.
        auto sim = OnComPort(kCom, MakeInstrument(3, 8, "cannot-transfer"));
        CRecordingHost host;
        EXPECT_EQ(Collect::RunPass(target, options, host).result, EPassResult::Failed);
        EXPECT_EQ(host.log.Count(EEvent::Error), 1);
        EXPECT_EQ(sim->Held(), 3u);
    }
}

TEST(CollectPass, AStopEndsATransferAtOnceAndStoresNothing)
{
    auto sim = OnComPort(kCom, MakeInstrument(40, 9, "trickle-series=20"));
    CMemorySink sink;
    CRecordingHost host;
    Collect::SPassOptions options;
    options.sink = &sink;
    options.deleteAfterArchive = true;
    std::atomic<bool> done{false};
    Collect::SPassReport report;
    std::thread pass([&] {
        report = Collect::RunPass(Collect::ComPortTarget(kCom, false), options, host);
        done = true;
    });
    ASSERT_TRUE(host.log.WaitFor(EEvent::Found, "", 1, 10000));
    // The series trickle from their middle on: the read is under way.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (sim->instrument->GetRequestCount() < 4 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    const auto stopped = std::chrono::steady_clock::now();
    host.stop = true;
    pass.join();
    EXPECT_LT(MsSince(stopped), 1000);
    EXPECT_EQ(report.result, EPassResult::Stopped);
    EXPECT_EQ(sink.calls, 0);
    EXPECT_EQ(sim->Held(), 40u);
}

TEST(CollectPass, ProjectFileNamesAreSerialAndLocalTime)
{
    std::tm t {};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 9;
    t.tm_hour = 7;
    t.tm_min = 5;
    t.tm_sec = 3;
    t.tm_isdst = -1;
    const std::time_t when = std::mktime(&t);
    EXPECT_EQ(Collect::ProjectFileName(u"VT-20417", when), "VT-20417_20261209-070503.vnr");
    // Nothing of a serial number can leave the folder or hide the file.
    EXPECT_EQ(Collect::ProjectFileName(u"../x/y", when), "_.._x_y_20261209-070503.vnr");
    EXPECT_EQ(Collect::ProjectFileName(u"", when), "__20261209-070503.vnr");
    EXPECT_EQ(Collect::ProjectFileName(u"A B\n", when), "A_B__20261209-070503.vnr");
}

#endif
