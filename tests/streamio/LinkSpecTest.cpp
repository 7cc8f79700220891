// SPDX-License-Identifier: GPL-3.0-or-later
// The typed link: every spelling read and written back, the bounds of the
// numbers, the transport table, and links opened without going through text.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "platform/ComPorts.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/LinkSpec.h"
#include "streamio/StreamSpec.h"
#include "streamio/Transports.h"
#include "LoopbackPeer.h"
#include "support/TestEnv.h"

using namespace StreamIO;

namespace {

std::optional<SLinkSpec> Parse(const std::u16string& text)
{
    return ParseLink(text);
}

// The error OpenStream(link) throws, 0 when it opens.
uint32_t OpenError(const SLinkSpec& link, std::u16string* thrownName = nullptr)
{
    try {
        OpenStream(link, SF_READ | SF_WRITE);
    } catch (const Platform::CFileException& e) {
        if (thrownName != nullptr)
            *thrownName = e.GetFileName();
        return e.GetOsError();
    }
    return 0;
}

} // namespace

TEST(LinkSpec, EverySerialSpellingIsOnePortAndFormatsBackTheSame)
{
    for (const char16_t* text : {u"COM3:", u"COM3", u"com3", u"\\\\.\\COM3", u"\\\\.\\com3", u"3", u"003", u"COM003:"}) {
        SCOPED_TRACE(Platform::ToUtf8(text));
        const std::optional<SLinkSpec> link = Parse(text);
        ASSERT_TRUE(link);
        EXPECT_EQ(*link, SLinkSpec::Serial(3));
    }
    const SLinkSpec com3 = SLinkSpec::Serial(3);
    EXPECT_EQ(FormatLink(com3), u"COM3");
    EXPECT_EQ(LinkStreamName(com3), u"\\\\.\\COM3");
    EXPECT_EQ(LinkPortText(com3), u"COM3");
    // Each written form reads back as the same link.
    for (const std::u16string& written : {FormatLink(com3), LinkStreamName(com3), LinkPortText(com3)})
        EXPECT_EQ(Parse(written), com3) << Platform::ToUtf8(written);
}

TEST(LinkSpec, ComNumbersRunFromOneToTheLastTheWizardTakes)
{
    EXPECT_FALSE(Parse(u"COM0"));
    EXPECT_FALSE(Parse(u"0"));
    EXPECT_FALSE(Parse(u"\\\\.\\COM0"));
    EXPECT_EQ(Parse(u"COM257"), SLinkSpec::Serial(257));   // beyond the named ports, but a link
    EXPECT_EQ(Parse(u"\\\\.\\COM9998"), SLinkSpec::Serial(kLastComPort));
    EXPECT_FALSE(Parse(u"COM9999"));
    EXPECT_FALSE(Parse(u"9999"));
    EXPECT_FALSE(Parse(u"COM99999999999999999999"));         // no wrap-around
    EXPECT_EQ(Parse(FormatLink(SLinkSpec::Serial(kLastComPort))), SLinkSpec::Serial(kLastComPort));
}

TEST(LinkSpec, GarbageIsNoLink)
{
    for (const char16_t* text : {u"", u"COM", u"COM:", u"COM3::", u"COM3:x", u" COM3", u"COM 3", u"COM-3", u"+3",
                                 u"COM\uFF13", u"\\\\.\\COM", u"\\\\?\\", u"RAM:x", u"relative/tty", u"ttyUSB0",
                                 u"IP", u"IP:", u"IP::3728", u"IP:host:0", u"IP:host:65536", u"IP:host:x",
                                 u"IP:host:37 28", u"IP:a:b:80", u"IP:ho st", u"IP:ho/st", u"IP:[::1]:3728",
                                 u"IP:::1"}) {
        EXPECT_FALSE(Parse(text)) << Platform::ToUtf8(text);
    }
    EXPECT_FALSE(ParseLink(std::u16string_view(u"COM3\0x", 6)));
    EXPECT_FALSE(ParseLink(std::u16string(u"/dev/tty\0S0", 11)));
    EXPECT_FALSE(Parse(u"IP:" + std::u16string(254, u'h')));
}

TEST(LinkSpec, IpLinksTakeThePortOrTheInstrumentsAndKeepTheHostAsGiven)
{
    EXPECT_EQ(Parse(u"IP:10.0.0.9"), SLinkSpec::Ip("10.0.0.9", kInstrumentTcpPort));
    EXPECT_EQ(Parse(u"ip:10.0.0.9:"), SLinkSpec::Ip("10.0.0.9", kInstrumentTcpPort));
    EXPECT_EQ(Parse(u"IP:instrument.local:1"), SLinkSpec::Ip("instrument.local", 1));
    EXPECT_EQ(Parse(u"IP:h:65535"), SLinkSpec::Ip("h", 65535));
    EXPECT_EQ(Parse(u"IP:h:04000"), SLinkSpec::Ip("h", 4000));
    EXPECT_EQ(Parse(u"IP:Prüfstand"), SLinkSpec::Ip("Prüfstand", kInstrumentTcpPort));

    const SLinkSpec link = SLinkSpec::Ip("10.0.0.9", 4000);
    EXPECT_EQ(FormatLink(link), u"IP:10.0.0.9:4000");
    EXPECT_EQ(LinkStreamName(link), u"10.0.0.9:4000");
    EXPECT_EQ(LinkPortText(link), u"IP:10.0.0.9");
    EXPECT_EQ(Parse(FormatLink(link)), link);
    // The port text drops the port: it reads back as the instrument's port.
    EXPECT_EQ(Parse(LinkPortText(link)), SLinkSpec::Ip("10.0.0.9", kInstrumentTcpPort));
}

TEST(LinkSpec, DevicePathsAndUsbPathsAreTakenWhole)
{
    const std::u16string spaced = u"/dev/serial/by-id/usb-Maker Line 2-if00";
    EXPECT_EQ(Parse(spaced), SLinkSpec::SerialDevice("/dev/serial/by-id/usb-Maker Line 2-if00"));
    EXPECT_EQ(FormatLink(*Parse(spaced)), spaced);
    EXPECT_EQ(Parse(u"/"), SLinkSpec::SerialDevice("/"));

    const std::u16string usb = u"\\\\?\\usb#vid_3317&pid_0102#1-2:1.0#{00873fdf-61a8-11d1-aa5e-00c04fb1728b}";
    EXPECT_EQ(Parse(usb), SLinkSpec::Usb(usb));
    EXPECT_EQ(FormatLink(SLinkSpec::Usb(usb)), usb);
    EXPECT_EQ(LinkStreamName(SLinkSpec::Usb(usb)), usb);
    EXPECT_EQ(LinkPortText(SLinkSpec::Usb(usb)), u"");
    EXPECT_EQ(FormatLink(SLinkSpec()), u"");
}

TEST(LinkSpec, StreamNamesGiveTheLinkTheStreamWasOpenedOn)
{
    EXPECT_EQ(LinkOfStreamName(u"\\\\.\\COM41"), SLinkSpec::Serial(41));
    EXPECT_EQ(LinkOfStreamName(u"COM3:"), SLinkSpec::Serial(3));
    EXPECT_EQ(LinkOfStreamName(u"IP:10.0.0.9:3728"), SLinkSpec::Ip("10.0.0.9", 3728));
    EXPECT_EQ(LinkOfStreamName(u"IP:10.0.0.9:http").kind, ELinkKind::None);
    EXPECT_EQ(LinkOfStreamName(u"RAM:x").kind, ELinkKind::None);
    EXPECT_EQ(LinkOfStreamName(u"/tmp/a.vnr").kind, ELinkKind::None);
    // The factory's short form stays at three digits: COM257: is a file.
    EXPECT_EQ(LinkOfStreamName(u"COM257:").kind, ELinkKind::None);
}

TEST(Transports, OneRowPerKindInTheWizardsOrderAndKindsAreThePortBits)
{
    std::vector<ELinkKind> kinds;
    for (const STransport* t : Transports()) {
        kinds.push_back(t->kind);
        EXPECT_EQ(FindTransport(t->kind), t);
        EXPECT_FALSE(t->name.empty());
    }
    EXPECT_EQ(kinds, (std::vector<ELinkKind>{ELinkKind::Usb, ELinkKind::Ip, ELinkKind::Serial}));
    EXPECT_EQ(FindTransport(ELinkKind::None), nullptr);
    EXPECT_EQ(FindTransport(static_cast<ELinkKind>(3)), nullptr);   // two bits are no kind
}

TEST(LinkOpen, SerialLinksOpenByNumberAndDevicePathsThroughThePortMap)
{
    std::u16string thrown;
    // The test registry maps every COM number to a path that does not exist.
    EXPECT_EQ(OpenError(SLinkSpec::Serial(3), &thrown), Platform::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(thrown, u"\\\\.\\COM3");
    EXPECT_EQ(OpenError(SLinkSpec::Serial(0), &thrown), Platform::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(thrown, u"\\\\.\\COM0");

    // A real file no COM port leads to.
    const std::string path = TestEnv::TempDir() + "/no port leads here";
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(ResolveComPort(path), 0u);
    EXPECT_EQ(OpenError(SLinkSpec::SerialDevice(path), &thrown), Platform::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(thrown, Platform::FromUtf8(path));
    // Mapped to a COM port, the path resolves to it, also through a link.
    ASSERT_EQ(Platform::SetComPortDevicePath(17, path), Platform::ERROR_SUCCESS);
    const std::string alias = TestEnv::TempDir() + "/alias of port 17";
    ASSERT_EQ(::symlink(path.c_str(), alias.c_str()), 0);
    EXPECT_EQ(ResolveComPort(alias), 17u);
    // Not a terminal: the serial stream says so (opened, not just looked up).
    EXPECT_EQ(OpenError(SLinkSpec::SerialDevice(alias), &thrown), Platform::ERROR_OPEN_FAILED);
    EXPECT_EQ(thrown, u"\\\\.\\COM17");
    Platform::SetComPortDevicePath(17, "/nonexistent/brelmora-test/COM17");
    ::unlink(alias.c_str());
    ::unlink(path.c_str());
}

TEST(LinkOpen, IpLinksOpenByHostAndPortAndNoLinkIsABadName)
{
    const uint16_t port = LoopbackPeer::ClosedPort();
    std::u16string thrown;
    EXPECT_EQ(OpenError(SLinkSpec::Ip("127.0.0.1", port), &thrown), Platform::WSAECONNREFUSED);
    EXPECT_EQ(thrown, Platform::Format("127.0.0.1:%u", static_cast<unsigned>(port)));
    EXPECT_EQ(OpenError(SLinkSpec()), Platform::ERROR_INVALID_NAME);
    // The factory's name with a service name instead of a number.
    try {
        OpenStream(u"IP:127.0.0.1:http", SF_READ | SF_WRITE);
        ADD_FAILURE() << "opened";
    } catch (const Platform::CFileException& e) {
        EXPECT_EQ(e.GetOsError(), Platform::WSATYPE_NOT_FOUND);
    }
}
