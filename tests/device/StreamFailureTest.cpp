// SPDX-License-Identifier: GPL-3.0-or-later
// What a stream's file exception means for an exchange: the error number
// decides the failure kind, and the message says it.  Other exceptions are
// not line failures and reach the caller.
#include <gtest/gtest.h>

#include <stdexcept>

#include "ScriptStream.h"
#include "device/PaperTransfer.h"
#include "device/VnCommands.h"
#include "platform/ErrorCodes.h"
#include "platform/Text.h"

using namespace Device;

namespace {

// Throws something that is not a file exception on every write.
class CBrokenStream : public CScriptStream {
public:
    uint32_t Write(const void*, uint32_t) override { throw std::runtime_error("not a stream failure"); }
};

} // namespace

TEST(StreamFailure, ErrorNumbersDecideTheKindInEveryLayer)
{
    struct {
        uint32_t error;
        ELinkFailure kind;
    } const cases[] = {
        {Platform::ERROR_DEVICE_NOT_CONNECTED, ELinkFailure::HangUp},
        {Platform::WSAECONNRESET, ELinkFailure::HangUp},
        {Platform::WSAECONNABORTED, ELinkFailure::HangUp},
        {Platform::ERROR_BROKEN_PIPE, ELinkFailure::HangUp},
        {Platform::ERROR_OPERATION_ABORTED, ELinkFailure::Cancelled},
        {Platform::ERROR_INVALID_HANDLE, ELinkFailure::InvalidHandle},
        {Platform::ERROR_ACCESS_DENIED, ELinkFailure::StreamError},
        {Platform::ERROR_INVALID_PARAMETER, ELinkFailure::StreamError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(ClassifyStreamError(c.error), c.kind);
        CScriptStream stream;
        stream.throwOnWrite = true;
        stream.throwError = c.error;
        CVnCommands commands(&stream);
        uint8_t buffer[4] = {};
        uint32_t count = 0;
        // Block layer, text layer and control exchanges alike.
        EXPECT_EQ(commands.ReadDataBlock(0xD2, buffer, 0, count, 4), RDB_FAILED);
        EXPECT_EQ(commands.GetLastFailure(), c.kind);
        EXPECT_EQ(commands.GetLastStreamError(), c.error);
        EXPECT_FALSE(commands.TextCommand("ID"));
        EXPECT_EQ(commands.GetLastFailure(), c.kind);
        EXPECT_FALSE(commands.SetRemoteMode(true, 1000));
        EXPECT_EQ(commands.GetLastFailure(), c.kind);
    }
}

TEST(StreamFailure, MessagesNameTheCause)
{
    EXPECT_EQ(DescribeFailure(ELinkFailure::InvalidHandle),
              u"The transfer failed: the connection to the instrument is not open.");
    EXPECT_EQ(DescribeFailure(ELinkFailure::StreamError, 0, Platform::ERROR_ACCESS_DENIED),
              u"The transfer failed: the connection to the instrument reported error 5.");
    EXPECT_EQ(DescribeFailure(ELinkFailure::StreamError),
              u"The transfer failed: the connection to the instrument reported an error.");
    EXPECT_EQ(DescribeFailure(ELinkFailure::Cancelled), u"The transfer was aborted.");
}

TEST(StreamFailure, OtherExceptionsAreNotTakenForAHangUp)
{
    CBrokenStream stream;
    CVnCommands commands(&stream);
    EXPECT_THROW(commands.TextCommand("ID"), std::runtime_error);
    uint8_t buffer[4] = {};
    uint32_t count = 0;
    EXPECT_THROW(commands.ReadDataBlock(0xD2, buffer, 0, count, 4), std::runtime_error);
}
