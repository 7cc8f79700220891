// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/StreamSpec.h"
#include "LoopbackPeer.h"
#include "support/TestEnv.h"

using namespace StreamIO;
using Platform::CFileException;

namespace {

void ExpectKind(const std::u16string& name, StreamKind kind, uint32_t port, const std::u16string& rest)
{
    SCOPED_TRACE(Platform::ToUtf8(name));
    const SStreamSpec info = ParseStreamName(name);
    EXPECT_EQ(info.kind, kind);
    EXPECT_EQ(info.comPort, port);
    EXPECT_EQ(info.rest, rest);
}

uint16_t ClosedLoopbackPort()
{
    return LoopbackPeer::ClosedPort();
}

// The error a factory call throws (0 when it returns a stream).
uint32_t OpenError(const std::u16string& name, uint32_t flags, std::u16string* thrownName = nullptr)
{
    try {
        OpenStream(name, flags);
    } catch (const CFileException& e) {
        if (thrownName != nullptr)
            *thrownName = e.GetFileName();
        return e.GetOsError();
    }
    return 0;
}

} // namespace

TEST(StreamName, SerialNamesNeedOneToThreeDigitsAColonAndPort1To256)
{
    ExpectKind(u"com3:", StreamKind::Serial, 3, u"");
    ExpectKind(u"COM3:", StreamKind::Serial, 3, u"");
    ExpectKind(u"CoM1:", StreamKind::Serial, 1, u"");
    ExpectKind(u"COM256:", StreamKind::Serial, 256, u"");
    ExpectKind(u"COM007:", StreamKind::Serial, 7, u"");
    ExpectKind(u"COM3:tail", StreamKind::Serial, 3, u"tail");
    ExpectKind(u"COM257:", StreamKind::File, 0, u"COM257:");
    ExpectKind(u"COM0:", StreamKind::File, 0, u"COM0:");
    ExpectKind(u"COM:", StreamKind::File, 0, u"COM:");
    ExpectKind(u"COM1234:", StreamKind::File, 0, u"COM1234:");
    ExpectKind(u"COM3", StreamKind::File, 0, u"COM3");
    ExpectKind(u" COM3:", StreamKind::File, 0, u" COM3:");
    ExpectKind(u"COM\uFF13:", StreamKind::File, 0, u"COM\uFF13:");   // only ASCII digits
    ExpectKind(u"CO", StreamKind::File, 0, u"CO");
}

TEST(StreamName, RamIpAndDiskNames)
{
    ExpectKind(u"ram:x", StreamKind::Ram, 0, u"x");
    ExpectKind(u"RAM:ClipRamStream", StreamKind::Ram, 0, u"ClipRamStream");
    ExpectKind(u"RAM:", StreamKind::Ram, 0, u"");
    ExpectKind(u"IP:10.0.0.1:3728", StreamKind::Ip, 0, u"10.0.0.1:3728");
    ExpectKind(u"ip::3728", StreamKind::Ip, 0, u":3728");
    ExpectKind(u"RAMx", StreamKind::File, 0, u"RAMx");
    ExpectKind(u"/tmp/a.vnr", StreamKind::File, 0, u"/tmp/a.vnr");
    ExpectKind(u"", StreamKind::File, 0, u"");
}

TEST(StreamFactory, TransportNamesOpenTheirTransportsNeverTheDisk)
{
    std::u16string thrown;
    // A serial stream now; the test registry maps COM3 to a missing device.
    EXPECT_EQ(OpenError(u"com3:", SF_READ | SF_WRITE | SF_OPEN_ALWAYS, &thrown), Platform::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(thrown, u"\\\\.\\COM3");
    // An IP stream now: nobody listens on that loopback port.
    EXPECT_EQ(OpenError(Platform::Format("IP:127.0.0.1:%u", static_cast<unsigned>(ClosedLoopbackPort())),
                        SF_READ | SF_WRITE | SF_OPEN_ALWAYS, &thrown),
              Platform::WSAECONNREFUSED);
    EXPECT_EQ(thrown.rfind(u"127.0.0.1:", 0), 0u);
    // A USB device path opens the bulk stream; no such device here.
    const std::u16string usb = u"\\\\?\\usb#vid_3317&pid_0001#9-9:1.0#{00873fdf-61a8-11d1-aa5e-00c04fb1728b}";
    EXPECT_EQ(OpenError(usb, SF_READ | SF_WRITE, &thrown), Platform::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(thrown, usb);
    EXPECT_NE(access("com3:", F_OK), 0);
}

TEST(StreamFactory, RamNamesMakeRamStreamsNotDiskFiles)
{
    ASSERT_TRUE(Initialize());
    auto stream = OpenStream(u"ram:x", SF_READ | SF_WRITE | SF_OPEN_ALWAYS);
    ASSERT_TRUE(stream);
    EXPECT_TRUE(stream->IsOpen());
    EXPECT_EQ(stream->GetName(), u"RAM:x");
    EXPECT_NE(access("ram:x", F_OK), 0);
    EXPECT_NE(access("RAM:x", F_OK), 0);
}

TEST(StreamFactory, OtherNamesAreDiskPaths)
{
    // Not serial names: opened (here: not found) as files in the working folder.
    EXPECT_EQ(OpenError(u"COM257:", SF_READ), Platform::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(OpenError(u"COM0:", SF_READ), Platform::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(OpenError(u"COM1234:", SF_READ), Platform::ERROR_FILE_NOT_FOUND);

    const std::u16string path = Platform::FromUtf8(TestEnv::TempDir() + "/factory.bin");
    auto stream = OpenStream(path, SF_READ | SF_WRITE | SF_CREATE_ALWAYS);
    ASSERT_TRUE(stream);
    EXPECT_TRUE(stream->IsOpen());
    EXPECT_TRUE(stream->IsSeekable());
    EXPECT_EQ(stream->GetName(), path);
    EXPECT_EQ(FindStream(stream->GetId()), stream.get());
}

TEST(StreamSpec, SerialDeviceNamesAndUsbPaths)
{
    // The name a serial stream carries reads as its port, any number.
    SStreamSpec target = ParseStreamName(u"\\\\.\\COM3");
    EXPECT_EQ(target.kind, StreamKind::Serial);
    EXPECT_EQ(target.comPort, 3u);
    EXPECT_EQ(ParseStreamName(u"\\\\.\\com1000").comPort, 1000u);
    EXPECT_EQ(ParseStreamName(u"\\\\.\\COM").kind, StreamKind::File);
    EXPECT_EQ(ParseStreamName(u"\\\\.\\COM3:").kind, StreamKind::File);
    EXPECT_EQ(ParseStreamName(u"\\\\.\\COM99999999999").kind, StreamKind::File);   // beyond 32 bits
    EXPECT_EQ(SerialDeviceName(42), u"\\\\.\\COM42");

    const std::u16string usb = u"\\\\?\\usb#vid_3317&pid_0102#1-2:1.0#{00873fdf-61a8-11d1-aa5e-00c04fb1728b}";
    target = ParseStreamName(usb);
    EXPECT_EQ(target.kind, StreamKind::Usb);
    EXPECT_EQ(target.usbPath, usb);
    EXPECT_EQ(ParseStreamName(u"\\\\?\\").kind, StreamKind::File);
}

TEST(StreamSpec, IpNamesSplitAtTheLastColon)
{
    SStreamSpec target = ParseStreamName(u"IP:10.0.0.1:3728", SF_READ | SF_WRITE);
    EXPECT_EQ(target.kind, StreamKind::Ip);
    EXPECT_EQ(target.rest, u"10.0.0.1:3728");
    EXPECT_EQ(target.host, "10.0.0.1");
    EXPECT_EQ(target.port, "3728");
    EXPECT_FALSE(target.udp);
    EXPECT_TRUE(ParseStreamName(u"ip:h:1", SF_UDP).udp);

    struct {
        const char16_t* name;
        const char* host;
        const char* port;
    } const cases[] = {
        {u":3728", "", "3728"},              // no host: the passive side
        {u"instrument-name:3728", "instrument-name", "3728"},
        {u"tcp:host:80", "host", "80"},      // the host starts after a first colon
        {u"a:b:c:d", "b:c", "d"},
        {u"host:", "host", ""},
        {u"host", "", ""},                   // no colon: neither
        {u"", "", ""},
    };
    for (const auto& c : cases) {
        std::string host, port;
        SplitHostPort(c.name, host, port);
        EXPECT_EQ(host, c.host) << Platform::ToUtf8(c.name);
        EXPECT_EQ(port, c.port) << Platform::ToUtf8(c.name);
    }
}

TEST(StreamSpec, NumericHostsReadAsFourNumbersUpTo255)
{
    EXPECT_TRUE(IsNumericHost("10.1.2.3"));
    EXPECT_TRUE(IsNumericHost("127.0.0.1"));
    EXPECT_TRUE(IsNumericHost("255.255.255.255"));
    EXPECT_TRUE(IsNumericHost("010.001.002.003"));
    EXPECT_FALSE(IsNumericHost("256.1.1.1"));
    EXPECT_FALSE(IsNumericHost("1.2.3"));
    EXPECT_FALSE(IsNumericHost("1234.1.1.1"));   // at most three digits per number
    EXPECT_FALSE(IsNumericHost("instrument-name"));
    EXPECT_FALSE(IsNumericHost(""));
}
