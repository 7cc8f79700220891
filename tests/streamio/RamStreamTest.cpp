// SPDX-License-Identifier: GPL-3.0-or-later
// RAM streams: linear files (position, seek, truncate) and FIFO files
// (growth across the wrap, purge), and the errors of both.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ErrorCodes.h"
#include "streamio/ram/RamStream.h"
#include "streamio/RamTestSupport.h"

using namespace StreamIO;
namespace E = Platform;

namespace {

constexpr uint32_t kRw = SF_READ | SF_WRITE;

std::vector<uint8_t> ReadAll(CIoStream& s, size_t count)
{
    std::vector<uint8_t> out(count);
    out.resize(s.Read(out.data(), static_cast<uint32_t>(count)));
    return out;
}

std::vector<uint8_t> Join(const std::vector<uint8_t>& a, size_t from, const std::vector<uint8_t>& b)
{
    std::vector<uint8_t> out(a.begin() + static_cast<long>(from), a.end());
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

} // namespace

TEST_F(RamTest, SeekRulesOfALinearFile)
{
    CRamStream s(u"RAM:seek", kRw | SF_CREATE_ALWAYS);
    ASSERT_EQ(s.Write("0123456789", 10), 10u);
    EXPECT_EQ(s.Seek(-4, ORIGIN_CURRENT), 6u);
    EXPECT_EQ(s.Seek(0, ORIGIN_CURRENT), 6u);
    EXPECT_EQ(RamError([&] { s.Seek(-11, ORIGIN_END); }), E::ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(s.GetError(), E::ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(RamError([&] { s.Seek(11, ORIGIN_BEGIN); }), E::ERROR_SEEK_ON_DEVICE);
    EXPECT_EQ(RamError([&] { s.Seek(0, 0); }), E::ERROR_SEEK_ON_DEVICE);   // not an origin
    EXPECT_EQ(s.GetPosition(), 6u);   // failed seeks leave the position
    EXPECT_EQ(s.Seek(-10, ORIGIN_END), 0u);
}

TEST_F(RamTest, LinearReadsWritesAndTruncate)
{
    CRamStream s(u"RAM:lin", kRw | SF_CREATE_ALWAYS | SF_SHARE_READ);
    s.Write("hello world", 11);
    s.SetPosition(6);
    s.Write("WORLD!", 6);   // overwrites the tail and extends by one
    s.SetPosition(0);
    const std::vector<uint8_t> all = ReadAll(s, 100);
    EXPECT_EQ(std::string(all.begin(), all.end()), "hello WORLD!");

    // At the end: nothing, error 38 stored, no exception.
    char c;
    EXPECT_EQ(s.Read(&c, 1), 0u);
    EXPECT_TRUE(s.IsEofOrTimeout());
    EXPECT_EQ(s.Read(&c, 0), 0u);   // a count of 0 is no end of data
    EXPECT_FALSE(s.HasError());

    // A position set beyond the end: writing fills the gap with zeros.
    s.SetPosition(14);
    EXPECT_EQ(s.Write("Z", 1), 1u);
    s.SetPosition(11);
    EXPECT_EQ(ReadAll(s, 9), (std::vector<uint8_t>{'!', 0, 0, 'Z'}));

    s.SetPosition(3);
    s.Truncate();
    EXPECT_EQ(s.GetLength(), 3u);
    s.SetPosition(5);
    s.Truncate();   // extends with zeros
    s.SetPosition(0);
    EXPECT_EQ(ReadAll(s, 9), (std::vector<uint8_t>{'h', 'e', 'l', 0, 0}));
    s.SetPosition(0);
    s.Truncate();
    EXPECT_EQ(s.GetLength(), 0u);
    EXPECT_EQ(s.Write("again", 5), 5u);   // a freed file grows again

    // Truncating needs write access, as with disk files.
    CRamStream reader(u"RAM:lin", SF_READ);
    EXPECT_EQ(RamError([&] { reader.Truncate(); }), E::ERROR_WRITE_FAULT);
    EXPECT_EQ(s.GetLength(), 5u);
    // A closed stream throws 6.
    reader.Close();
    EXPECT_EQ(RamError([&] { reader.Read(&c, 1); }), E::ERROR_INVALID_HANDLE);
}

TEST_F(RamTest, FifoGrowsAcrossTheWrapAndKeepsTheOrder)
{
    CRamStream s(u"RAM:wrap", kRw | SF_CREATE_ALWAYS | SF_FIFO);
    EXPECT_FALSE(s.IsSeekable());
    const std::vector<uint8_t> a = Pattern(10, 0);
    const std::vector<uint8_t> b = Pattern(600, 10);
    s.Write(a.data(), 10);
    EXPECT_EQ(ReadAll(s, 4), std::vector<uint8_t>(a.begin(), a.begin() + 4));
    ASSERT_EQ(s.Write(b.data(), 600), 600u);
    EXPECT_EQ(s.GetLength(), 606u);
    EXPECT_EQ(ReadAll(s, 1000), Join(a, 4, b));

    // A ring that really wraps: data near the end of the allocation, then a
    // write across its end, then growth while wrapped.
    const std::vector<uint8_t> c = Pattern(500, 3);
    const std::vector<uint8_t> d = Pattern(2300, 4);
    s.Write(c.data(), 500);
    EXPECT_EQ(ReadAll(s, 450).size(), 450u);
    s.Write(d.data(), 300);
    s.Write(d.data() + 300, 2000);
    EXPECT_EQ(ReadAll(s, 5000), Join(c, 450, d));
    char x;
    EXPECT_EQ(s.Read(&x, 1), 0u);
    EXPECT_EQ(s.GetError(), E::ERROR_HANDLE_EOF);
}

TEST_F(RamTest, FifoSeekPurgeAndTruncate)
{
    CRamStream s(u"RAM:fifo", kRw | SF_CREATE_ALWAYS | SF_FIFO);
    s.Write("abcdef", 6);
    EXPECT_EQ(RamError([&] { s.Seek(0, ORIGIN_BEGIN); }), E::ERROR_SEEK_ON_DEVICE);
    EXPECT_EQ(s.GetPosition(), 0u);
    s.PurgeInput();
    EXPECT_EQ(s.GetLength(), 0u);
    s.Write("abc", 3);
    s.Truncate();   // the position is 0: empties the ring
    EXPECT_EQ(s.GetLength(), 0u);
    EXPECT_TRUE(s.Reserve(4096));
    s.Write("xy", 2);
    EXPECT_EQ(ReadAll(s, 10), (std::vector<uint8_t>{'x', 'y'}));

    // A linear file keeps its data on PurgeInput.
    CRamStream lin(u"RAM:linpurge", kRw | SF_CREATE_ALWAYS);
    lin.Write("abc", 3);
    lin.PurgeInput();
    EXPECT_EQ(lin.GetLength(), 3u);
}
