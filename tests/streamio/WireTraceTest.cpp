// SPDX-License-Identifier: GPL-3.0-or-later
// The wire trace: instrument streams opened by the factory write one line
// per transfer; files and RAM streams are never wrapped.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>

#include "Rs232TestSupport.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/trace/TraceStream.h"
#include "streamio/trace/WireTrace.h"
#include "support/TestEnv.h"

using namespace StreamIO;

namespace {

std::vector<std::vector<std::string>> TraceLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::vector<std::string>> lines;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream ss(line);
        std::string field;
        while (std::getline(ss, field, '\t'))
            fields.push_back(field);
        lines.push_back(fields);
    }
    return lines;
}

class WireTrace : public Rs232Test {
protected:
    void SetUp() override
    {
        Rs232Test::SetUp();
        path = TestEnv::TempDir() + "/trace-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ::unlink(path.c_str());
        ASSERT_EQ(StartWireTrace(Platform::FromUtf8(path)), 0u);
    }
    void TearDown() override { StopWireTrace(); }

    std::string path;
};

} // namespace

TEST_F(WireTrace, SerialTransfersAreTracedWithBytesAndError)
{
    auto stream = OpenStream(u"COM7:", kReadWrite);
    ASSERT_NE(dynamic_cast<CTraceStream*>(stream.get()), nullptr);
    EXPECT_EQ(stream->GetName(), u"\\\\.\\COM7");
    ASSERT_TRUE(stream->SetTimeouts(100, 100));

    EXPECT_EQ(stream->Write("\x10@ID@\r", 6), 6u);
    EXPECT_EQ(pty.Receive(6, 1000), std::string("\x10@ID@\r"));
    ASSERT_TRUE(pty.Send(std::string("\x06\xFF", 2)));
    uint8_t in[4] = {};
    EXPECT_EQ(stream->Read(in, 4), 2u);        // times out after two bytes
    EXPECT_EQ(stream->Read(in, 1), 0u);        // nothing: 38 stored
    EXPECT_EQ(stream->GetError(), Platform::ERROR_HANDLE_EOF);

    const auto lines = TraceLines(path);
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& l : lines) {
        ASSERT_EQ(l.size(), 6u);
        EXPECT_NE(l[0].find('.'), std::string::npos);   // monotonic seconds.microseconds
        EXPECT_EQ(l[1], "\\\\.\\COM7");
    }
    EXPECT_EQ(lines[0][2], "write");
    EXPECT_EQ(lines[0][3], "6");
    EXPECT_EQ(lines[0][4], "10 40 49 44 40 0D");
    EXPECT_EQ(lines[0][5], "0");
    EXPECT_EQ(lines[1][2], "read");
    EXPECT_EQ(lines[1][3], "2");
    EXPECT_EQ(lines[1][4], "06 FF");
    EXPECT_EQ(lines[2][3], "0");
    EXPECT_EQ(lines[2][4], "");
    EXPECT_EQ(lines[2][5], "38");
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A transfer that throws leaves its line with the thrown error.
    stream->Close();
    EXPECT_THROW(stream->Read(in, 1), Platform::CFileException);
    EXPECT_EQ(TraceLines(path).back()[5], "6");
}

TEST_F(WireTrace, FilesAndRamStreamsAreNotWrapped)
{
    ASSERT_TRUE(Initialize());
    auto ram = OpenStream(u"RAM:traced", SF_READ | SF_WRITE | SF_OPEN_ALWAYS);
    EXPECT_EQ(dynamic_cast<CTraceStream*>(ram.get()), nullptr);
    ram->Write("abc", 3);
    auto file = OpenStream(Platform::FromUtf8(TestEnv::TempDir() + "/traced.bin"), SF_WRITE | SF_CREATE_ALWAYS);
    EXPECT_EQ(dynamic_cast<CTraceStream*>(file.get()), nullptr);
    file->Write("abc", 3);
    EXPECT_TRUE(TraceLines(path).empty());

    // After the trace stops nothing is wrapped or written.
    StopWireTrace();
    auto serial = OpenStream(u"COM7:", kReadWrite);
    EXPECT_EQ(dynamic_cast<CTraceStream*>(serial.get()), nullptr);
}

TEST_F(WireTrace, WrappedStreamBehavesAsItsInner)
{
    auto stream = OpenStream(u"com7:", kReadWrite);
    auto* trace = dynamic_cast<CTraceStream*>(stream.get());
    ASSERT_NE(trace, nullptr);
    EXPECT_TRUE(stream->IsOpen());
    EXPECT_FALSE(stream->IsSeekable());
    EXPECT_EQ(stream->GetFlags(), kReadWrite);
    EXPECT_EQ(stream->GetBytesPerSecond(), trace->Inner()->GetBytesPerSecond());
    ASSERT_TRUE(stream->SetTimeouts(250, 20));
    int r = 0, w = 0;
    ASSERT_TRUE(stream->GetTimeouts(r, w));
    EXPECT_EQ(r, 250);
    EXPECT_EQ(w, 20);
    stream->Close();
    EXPECT_FALSE(stream->IsOpen());
    EXPECT_TRUE(stream->Reopen());
    EXPECT_TRUE(stream->IsOpen());
    EXPECT_EQ(stream->GetName(), u"\\\\.\\COM7");
}

TEST(WireTraceFile, AFileThatCannotBeOpenedIsReportedAndLeavesTheTraceOff)
{
    const std::u16string bad = u"/nonexistent/brelmora-test/trace.txt";
    const uint32_t error = StartWireTrace(bad);
    EXPECT_EQ(error, Platform::ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(IsWireTraceOn());
    const std::string text = Platform::ToUtf8(DescribeTraceError(bad, error));
    EXPECT_NE(text.find("/nonexistent/brelmora-test/trace.txt"), std::string::npos) << text;
}
