// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the head of a firmware package (.lod).
#include <gtest/gtest.h>

#include <vector>

#include "ScriptStream.h"
#include "device/PackageHeader.h"

using namespace Device;

namespace {

void Put16(std::vector<uint8_t>& v, uint16_t x)
{
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}

void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    Put16(v, static_cast<uint16_t>(x));
    Put16(v, static_cast<uint16_t>(x >> 16));
}

std::vector<uint8_t> Entry(uint8_t flags, uint16_t kind, uint8_t size, uint16_t value2 = 1, const char* name = "APP")
{
    std::vector<uint8_t> e = {flags, 0x5A};
    Put16(e, kind);
    Put16(e, 2);
    Put16(e, 3);
    Put16(e, 4);
    e.insert(e.end(), name, name + 3);
    e.push_back(size);
    Put16(e, 0x1111);
    Put16(e, value2);
    return e;
}

std::vector<uint8_t> Package(const std::vector<std::vector<uint8_t>>& entries, uint32_t count, uint8_t mode = 2,
                             uint32_t target = 0x07000001)
{
    std::vector<uint8_t> p = {'@', 'V', 'n', '@'};
    Put32(p, 1);
    Put16(p, 1);
    Put16(p, 5);
    Put32(p, count);
    for (const auto& e : entries)
        p.insert(p.end(), e.begin(), e.end());
    std::vector<uint8_t> trailer(PACKAGE_TRAILER_SIZE, 0);
    trailer[0] = static_cast<uint8_t>(target);
    trailer[3] = static_cast<uint8_t>(target >> 24);
    trailer[4] = 1;    // version 1.9.2
    trailer[6] = 9;
    trailer[8] = 2;
    trailer[12] = 0x44;
    trailer[16] = mode;
    trailer[33] = 0xAB;
    trailer[160] = 0xCD;
    p.insert(p.end(), trailer.begin(), trailer.end());
    return p;
}

} // namespace

TEST(PackageHeader, ReadsEntriesAndTrailer)
{
    const auto bytes = Package({Entry(0x22, 1, 3), Entry(0x40, 3, 25, 7, "BLD"), Entry(0x10, 5, 4)}, 3);
    CPackageHeader header;
    ASSERT_TRUE(header.Read(bytes.data(), bytes.size()));
    EXPECT_TRUE(header.IsHeaderValid());
    EXPECT_TRUE(header.IsTrailerValid());
    const CContents& c = header.GetContents();
    ASSERT_EQ(c.GetCount(), 3u);
    EXPECT_TRUE(c.IsComplete());
    EXPECT_EQ(c.GetFormatVersion().GetValue(), 0x0000000100000005ull);
    // Flags 0x22 and size 3: the name from bytes 10..12 and "12 kB".
    EXPECT_EQ(c.GetEntry(0).name, u"APP");
    EXPECT_EQ(c.GetEntry(0).sizeText, u"12 kB");
    EXPECT_EQ(c.GetEntry(0).version, CVersion(2, 3, 4, 0));
    EXPECT_EQ(c.GetEntry(0).second, 0x5A);
    EXPECT_EQ(c.GetEntry(1).sizeText, u"2.5 MB");
    EXPECT_TRUE(c.GetEntry(1).name.empty());   // flag bit 1 not set
    EXPECT_EQ(c.GetEntry(2).sizeText, u"64 B");
    EXPECT_EQ(header.GetTargetId(), 0x07000001u);
    EXPECT_EQ(header.GetPackageVersion(), CVersion(1, 9, 2, 0));
    EXPECT_EQ(header.GetHardwareId(), 0x44u);
    EXPECT_EQ(header.GetChecksumMode(), 2);
    EXPECT_EQ(header.GetProgramHeader()[0], 0xAB);
    EXPECT_EQ(header.GetProgramHeader()[127], 0xCD);

    // The same through a stream.
    CScriptStream stream;
    stream.input.assign(bytes.begin(), bytes.end());
    CPackageHeader fromStream;
    EXPECT_TRUE(fromStream.Read(stream));
    EXPECT_EQ(fromStream.GetContents().GetCount(), 3u);
}

TEST(PackageHeader, HeadChecks)
{
    CPackageHeader header;
    for (uint32_t count : {0u, 2001u}) {
        const auto bytes = Package({Entry(0, 1, 1)}, count);
        EXPECT_FALSE(header.Read(bytes.data(), bytes.size())) << count;
        EXPECT_FALSE(header.IsHeaderValid());
    }
    auto bytes = Package({Entry(0, 1, 1)}, 1);
    bytes[0] = 'X';
    EXPECT_FALSE(header.Read(bytes.data(), bytes.size()));
    bytes = Package({Entry(0, 1, 1)}, 1);
    bytes[8] = 2;
    EXPECT_FALSE(header.Read(bytes.data(), bytes.size()));
    EXPECT_FALSE(header.Read(bytes.data(), 15));
}

TEST(PackageHeader, EntryAndTrailerChecks)
{
    CPackageHeader header;
    auto bytes = Package({Entry(0, 12, 1)}, 1);   // kind 12
    EXPECT_FALSE(header.Read(bytes.data(), bytes.size()));
    bytes = Package({Entry(0, 1, 1, 0)}, 1);      // second kept value 0
    EXPECT_FALSE(header.Read(bytes.data(), bytes.size()));
    bytes = Package({Entry(0, 1, 1)}, 2);         // an entry short
    EXPECT_FALSE(header.Read(bytes.data(), bytes.size()));
    bytes = Package({Entry(0, 1, 1)}, 1, 3);      // checksum mode 3
    EXPECT_FALSE(header.Read(bytes.data(), bytes.size()));
    EXPECT_TRUE(header.IsHeaderValid());
    EXPECT_FALSE(header.IsTrailerValid());
    bytes = Package({Entry(0, 1, 1)}, 1, 4, 0);   // no target
    EXPECT_FALSE(header.Read(bytes.data(), bytes.size()));
    bytes = Package({Entry(0, 1, 1)}, 1, 4);
    EXPECT_FALSE(header.Read(bytes.data(), bytes.size() - 1));   // trailer cut short
    EXPECT_TRUE(header.Read(bytes.data(), bytes.size()));
}

