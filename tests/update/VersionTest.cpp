// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/Version.h"

namespace {

uint64_t V(const char16_t* text)
{
    return CVersion(std::u16string_view(text)).GetValue();
}

} // namespace

TEST(Version, ParsesFourThreeTwoAndOneParts)
{
    const CVersion v(u"1.8.1.0");
    EXPECT_EQ(v.GetPart(0), 1);
    EXPECT_EQ(v.GetPart(1), 8);
    EXPECT_EQ(v.GetPart(2), 1);
    EXPECT_EQ(v.GetPart(3), 0);
    EXPECT_EQ(v.Format(3), u"1.8.1");
    EXPECT_EQ(v.Format(4), u"1.8.1.0");

    EXPECT_EQ(V(u"1, 8, 1, 0"), v.GetValue());
    EXPECT_EQ(V(u" 1 . 8 . 1 "), v.GetValue());
    EXPECT_EQ(V(u"1.8.1"), V(u"1.8.1.0"));
    EXPECT_EQ(V(u"3.4"), (uint64_t{3} << 32) + 4);
    EXPECT_EQ(CVersion(u"3.4").Format(2), u"3.4");
    EXPECT_EQ(V(u"12345"), 12345u);
    EXPECT_EQ(V(u"65535.65535.65535.65535"), UINT64_MAX);
}

TEST(Version, RefusesPartsOutOfRange)
{
    EXPECT_EQ(V(u"1.8.70000.0"), 0u);
    EXPECT_EQ(V(u"65536.0.0"), 0u);
    EXPECT_EQ(V(u"4294967295.4294967295"), 0xFFFFFFFFFFFFFFFFu);
    EXPECT_EQ(V(u"4294967296.1"), 0u);
    // One number: only when the cleaned text is shorter than 20 characters.
    EXPECT_EQ(V(u"9999999999999999999"), 9999999999999999999u);
    EXPECT_EQ(V(u"99999999999999999999"), 0u);
    EXPECT_EQ(V(u"123abcdefghijklmnopq"), 0u);
    // Digits far beyond 64 bits must not wrap round into a valid part.
    EXPECT_EQ(V(u"1.18446744073709551617.0.0"), 0u);
    // A negative part is no version.
    EXPECT_EQ(V(u"-1.8.1.0"), 0u);
    EXPECT_EQ(V(u"1.-8"), 0u);
    EXPECT_EQ(V(u"-5"), 0u);
}

TEST(Version, StopsAtTheFirstCharacterThatDoesNotFit)
{
    EXPECT_EQ(V(u"1.8.1.0.7"), V(u"1.8.1.0"));
    EXPECT_EQ(V(u"1.8.1.0 beta"), V(u"1.8.1.0"));
    EXPECT_EQ(V(u"1.8x.5"), (uint64_t{1} << 32) + 8);
    EXPECT_EQ(V(u"1..8"), 1u);
    EXPECT_EQ(V(u"7."), 7u);
    EXPECT_EQ(V(u"+2.+3"), (uint64_t{2} << 32) + 3);
    EXPECT_EQ(V(u""), 0u);
    EXPECT_EQ(V(u".5"), 0u);
    EXPECT_EQ(V(u"Version 1.8"), 0u);
    EXPECT_FALSE(CVersion(u"abc").IsValid());
}

TEST(Version, FormatsOtherPartCountsAsTheWholeValue)
{
    const CVersion v(u"1.8.1.0");
    EXPECT_EQ(v.Format(1), u"281509336514560");
    EXPECT_EQ(v.Format(0), v.Format(5));
    // Values with the top bit set print unsigned, not negative.
    EXPECT_EQ(CVersion(UINT64_MAX).Format(1), u"18446744073709551615");
    EXPECT_EQ(CVersion(UINT64_MAX).Format(2), u"4294967295.4294967295");
    EXPECT_EQ(v.GetPart(-1), 0);
    EXPECT_EQ(v.GetPart(4), 0);
}

TEST(Version, ComparesAsOneNumber)
{
    EXPECT_LT(CVersion(u"1.8.1.0"), CVersion(u"1.8.2"));
    EXPECT_LT(CVersion(u"1.8.65535.65535"), CVersion(u"1.9.0"));
    EXPECT_GT(CVersion(u"2.0.0.0"), CVersion(u"1.65535.65535.65535"));
    EXPECT_EQ(CVersion(u"1.8.1"), CVersion(u"1.8.1.0"));
    EXPECT_NE(CVersion(u"1.8.1.1"), CVersion(u"1.8.1.0"));
    EXPECT_EQ(CVersion(1, 8, 1, 0), CVersion(u"1.8.1.0"));
}

TEST(Version, TravelsInTwoMessageParameters)
{
    uint32_t wParam = 0, lParam = 0;
    CVersion(u"1.9.2.5").ToMessageParams(wParam, lParam);
    EXPECT_EQ(wParam, 9u * 65536 + 1);
    EXPECT_EQ(lParam, 5u * 65536 + 2);
    EXPECT_EQ(CVersion::FromMessageParams(wParam, lParam), CVersion(u"1.9.2.5"));

    CVersion(u"65535.65534.65533.65532").ToMessageParams(wParam, lParam);
    EXPECT_EQ(CVersion::FromMessageParams(wParam, lParam), CVersion(u"65535.65534.65533.65532"));

    CVersion().ToMessageParams(wParam, lParam);
    EXPECT_EQ(wParam, 0u);
    EXPECT_EQ(lParam, 0u);
    EXPECT_FALSE(CVersion::FromMessageParams(0, 0).IsValid());
}
