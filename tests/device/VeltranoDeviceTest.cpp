// SPDX-License-Identifier: GPL-3.0-or-later
// Identification of the Kastel family and the Veltrano's block-0xD2 exchanges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>

#include "DeviceTestSupport.h"
#include "device/BlockFrame.h"
#include "device/Contents.h"
#include "device/VeltranoDevice.h"
#include "device/VnCommands.h"

using namespace Device;

namespace {
using Veltrano = SAttached<CVeltranoDevice>;

std::vector<uint8_t> Frame(std::vector<uint8_t> data)
{
    return BuildAnswerFrame(data.data(), data.size());
}
} // namespace

TEST(KastelIdentify, SixFieldsAndFamilyCode)
{
    Veltrano v;
    v.TextAnswer("Veltrano;B2;123456;07010203;1.8.1;1.2\r");
    SDeviceInfo info;
    ASSERT_TRUE(v.device->Identify(info));
    EXPECT_EQ(info.typeName, u"Veltrano");
    EXPECT_EQ(info.appVersion, u"1.8.1");
    EXPECT_EQ(info.serialNumber, u"123456");
    EXPECT_EQ(v.device->GetSerialNumber(), u"123456");
    const std::string sent(v.stream->writes[1].begin(), v.stream->writes[1].end());
    EXPECT_EQ(sent, "@ID@\r");
    EXPECT_EQ(v.device->GetCommands()->GetReadTimeout(), 2000);

    SDeviceDetails details;
    v.device->GetDetails(details);
    EXPECT_EQ(details.hardwareRevision, u"B2");
    EXPECT_EQ(details.signature, u"07010203");
    EXPECT_EQ(details.bootloaderVersion, u"1.2");
    EXPECT_EQ(v.device->GetInfoText(),
              u"Device type:\tVeltrano\r\nSerial number:\t123456\r\nApplication Version:\t1.8.1\r\n"
              u"Hardware revision:\tB2\r\nBootloader Version:\t1.2\r\nSignature:\t07010203");
}

TEST(KastelIdentify, EmptyFieldBecomesDash)
{
    // The hardware revision is empty: ";;" makes it "-", which counts.
    Veltrano v;
    v.TextAnswer("Veltrano;;123456;7000001;1.8.1;1.2\r");
    SDeviceInfo info;
    EXPECT_TRUE(v.device->Identify(info));
    SDeviceDetails details;
    v.device->GetDetails(details);
    EXPECT_EQ(details.hardwareRevision, u"-");

    // Three separators: one "-" field and a dropped empty one, so five fields.
    v.TextAnswer("Veltrano;;;123456;7000001;1.8.1\r");
    EXPECT_FALSE(v.device->Identify(info));
}

TEST(KastelIdentify, Rejections)
{
    SDeviceInfo info;
    {
        Veltrano v;   // Kastel signature on a Veltrano
        v.TextAnswer("Veltrano;B2;123456;05000001;1.8.1;1.2\r");
        EXPECT_FALSE(v.device->Identify(info));
        EXPECT_EQ(info.serialNumber, u"123456");   // copied before the checks
    }
    {
        SAttached<CKastelDevice> k;   // ... which the Kastel class accepts
        k.TextAnswer("Argentor;B2;123456;05000001;1.8.1;1.2\r");
        EXPECT_TRUE(k.device->Identify(info));
    }
    {
        Veltrano v;   // a signature that is not a number
        v.TextAnswer("Veltrano;B2;123456;XYZ;1.8.1;1.2\r");
        EXPECT_FALSE(v.device->Identify(info));
    }
    {
        Veltrano v;   // five fields
        v.TextAnswer("Veltrano;B2;123456;07000001;1.8.1\r");
        EXPECT_FALSE(v.device->Identify(info));
    }
    {
        Veltrano v;   // the instrument refuses
        v.TextAnswer("?\r");
        EXPECT_FALSE(v.device->Identify(info));
    }
    uint32_t value = 0;
    EXPECT_TRUE(CKastelDevice::ParseSignature(u"0x7ABCDEF0", value));
    EXPECT_EQ(value, 0x7ABCDEF0u);
    EXPECT_TRUE(CKastelDevice::ParseSignature(u"712zz", value));
    EXPECT_EQ(value, 0x712u);
}

TEST(KastelIdentify, ShortIdAndVersionList)
{
    Veltrano v;
    v.TextAnswer("Veltrano;2.1.0;98765\r");
    SDeviceInfo info;
    ASSERT_TRUE(v.device->IdentifyShort(info));
    EXPECT_EQ(info.appVersion, u"2.1.0");
    EXPECT_EQ(info.serialNumber, u"98765");

    // No application version known yet: the version list identifies first.
    v.TextAnswer("Veltrano;B2;98765;07000001;1.8.1.3;1.2\r");
    CContents contents;
    ASSERT_TRUE(v.device->GetVersionList(contents));
    ASSERT_EQ(contents.GetCount(), 2u);
    EXPECT_EQ(contents.GetEntry(0).kind, CONTENT_APPLICATION);
    EXPECT_EQ(contents.GetEntry(0).flags, 0x01);
    EXPECT_EQ(contents.GetEntry(0).second, 0x01);
    EXPECT_EQ(contents.GetEntry(0).version, CVersion(1, 8, 1, 3));
    EXPECT_EQ(contents.GetEntry(1).kind, CONTENT_BOOTLOADER);
    EXPECT_EQ(contents.GetEntry(1).version, CVersion(u"1.2"));   // two numbers: 1 * 2^32 + 2
}

TEST(KastelDevice, PingAndLongWrites)
{
    SAttached<CKastelDevice> k;
    k.stream->Reply(std::vector<uint8_t>{0xF0});
    k.stream->Reply(std::vector<uint8_t>{1, 0});   // the mode change fails: ignored
    EXPECT_TRUE(k.device->Ping());

    std::vector<uint8_t> data(47, 3);
    k.stream->writes.clear();
    k.stream->ReplyNothing();
    k.stream->Reply(std::vector<uint8_t>{0});
    EXPECT_EQ(k.device->WriteDataBlock(0xD2, 47, data.data(), 47), 0);
    EXPECT_EQ(k.stream->writes[0], (std::vector<uint8_t>{0xC1, 0xD2}));

    // The base class refuses 48 bytes.
    SAttached<CVeltranoDevice> v;
    data.resize(48);
    EXPECT_EQ(v.device->CVnDevice::WriteDataBlock(0xD2, 48, data.data(), 48), 254);
}

TEST(VeltranoNames, ReadList)
{
    Veltrano v;
    std::vector<uint8_t> answer = {2};
    const char* names[2] = {"ROLL-A", "PM3 SHIFT 2X"};
    for (const char* n : names) {
        std::vector<uint8_t> entry(13, 0);
        std::copy(n, n + std::strlen(n), entry.begin());
        answer.insert(answer.end(), entry.begin(), entry.end());
    }
    v.stream->Reply(Frame(answer));
    std::vector<std::u16string> list;
    ASSERT_TRUE(v.device->ReadStringList(list));
    EXPECT_EQ(list, (std::vector<std::u16string>{u"ROLL-A", u"PM3 SHIFT 2X"}));
    EXPECT_EQ(v.stream->writes[0], (std::vector<uint8_t>{0xC1, 0xD2, 0x00}));
    EXPECT_EQ(v.device->GetCommands()->GetReadTimeout(), 5000);

    v.stream->Reply(Frame({0}));   // a list of none
    EXPECT_TRUE(v.device->ReadStringList(list));
    EXPECT_TRUE(list.empty());
    v.stream->Reply(std::vector<uint8_t>{0});   // no data at all
    EXPECT_FALSE(v.device->ReadStringList(list));
    // A count larger than the entries sent: only whole entries are read.
    v.stream->Reply(Frame({200, 'A', 'B', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'C'}));
    EXPECT_TRUE(v.device->ReadStringList(list));
    EXPECT_EQ(list, (std::vector<std::u16string>{u"AB"}));
}

TEST(VeltranoNames, WritesAndOption)
{
    Veltrano v;
    v.stream->Reply(std::vector<uint8_t>{0});
    EXPECT_TRUE(v.device->WriteString(3, u"ABCDEFGHIJKLMNO"));   // 15 characters: first 12
    EXPECT_EQ(v.stream->writes[0], (std::vector<uint8_t>{0xCE, 0xD2, 0x01, 3, 'A', 'B', 'C', 'D', 'E', 'F', 'G',
                                                         'H', 'I', 'J', 'K', 'L'}));
    v.stream->Reply(std::vector<uint8_t>{0});
    EXPECT_TRUE(v.device->WriteStringAlt(0, u"X"));
    EXPECT_EQ(v.stream->writes[1], (std::vector<uint8_t>{0xCE, 0xD2, 0x02, 0, 'X', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    v.stream->Reply(std::vector<uint8_t>{0});
    EXPECT_TRUE(v.device->WriteStringMask(0x0102030405060708ull));
    EXPECT_EQ(v.stream->writes[2], (std::vector<uint8_t>{0xC9, 0xD2, 0x03, 8, 7, 6, 5, 4, 3, 2, 1}));
    v.stream->Reply(std::vector<uint8_t>{0xF2});
    EXPECT_FALSE(v.device->WriteString(99, u"X"));

    bool on = false;
    v.stream->Reply(Frame({2}));
    EXPECT_TRUE(v.device->QueryOption88(on));
    EXPECT_TRUE(on);
    v.stream->Reply(Frame({1}));
    EXPECT_TRUE(v.device->QueryOption88(on));
    EXPECT_FALSE(on);
    v.stream->Reply(std::vector<uint8_t>{0});
    EXPECT_TRUE(v.device->SetOption88(true));
    EXPECT_EQ(v.stream->writes.back(), (std::vector<uint8_t>{0xC2, 0xD2, 0x88, 0x02}));
    v.stream->Reply(std::vector<uint8_t>{0xF1});
    EXPECT_FALSE(v.device->SetOption88(false));
    EXPECT_EQ(v.stream->writes.back(), (std::vector<uint8_t>{0xC2, 0xD2, 0x88, 0x01}));
}

TEST(VeltranoClock, RequestBytes)
{
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 24;
    t.tm_hour = 13;
    t.tm_min = 5;
    t.tm_sec = 59;
    EXPECT_EQ(CVeltranoDevice::BuildClockRequest(&t), (std::array<uint8_t, 7>{0x06, 24, 12, 24, 13, 5, 59}));
    t.tm_year = 2207 - 1900;
    EXPECT_EQ(CVeltranoDevice::BuildClockRequest(&t)[1], 207);
    EXPECT_EQ(CVeltranoDevice::BuildClockRequest(nullptr), (std::array<uint8_t, 7>{0x06, 48, 0, 0, 255, 255, 255}));
}

TEST(VeltranoDelete, NeedsOneByteOfOne)
{
    Veltrano v;
    v.stream->Reply(std::vector<uint8_t>{1, 1});
    EXPECT_TRUE(v.device->DeleteAllSeries());
    EXPECT_EQ(v.stream->writes[0], (std::vector<uint8_t>{0xC1, 0xD2, 0x11}));
    EXPECT_EQ(v.device->GetCommands()->GetReadTimeout(), 8000);
    v.stream->Reply(std::vector<uint8_t>{1, 0});
    EXPECT_FALSE(v.device->DeleteAllSeries());
    v.stream->Reply(std::vector<uint8_t>{0});
    EXPECT_FALSE(v.device->DeleteAllSeries());
}
