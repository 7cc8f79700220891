// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>

#include "platform/VersionResource.h"
#include "platform/VersionResourceWriter.h"

using namespace Platform;

namespace {

VersionRecordLayout SampleLayout()
{
    VersionRecordLayout layout;
    layout.fixedInfo = MakeFixedFileInfo(0x0001000800010000ull, 0x0001000800000000ull, VFT_DLL);
    layout.tables.push_back({u"040904B0", {{u"CompanyName", u"Vantor"}, {u"ProductVersion", u"1.8"}}});
    layout.tables.push_back({u"040704B0", {{u"CompanyName", u"Vantor GmbH"}, {u"Comments", u"\u00C4rger"}}});
    layout.translations = {{0x0409, 1200}, {0x0407, 1200}};
    return layout;
}

std::vector<uint8_t> Build(const VersionRecordLayout& layout)
{
    std::vector<uint8_t> blob;
    EXPECT_TRUE(BuildVersionResource(layout, blob));
    return blob;
}

} // namespace

TEST(VersionResource, ReadsWhatTheWriterWrote)
{
    const std::vector<uint8_t> blob = Build(SampleLayout());
    ASSERT_EQ(blob.size() % 4, 0u);
    EXPECT_EQ(blob[0] | (blob[1] << 8), static_cast<int>(blob.size()));

    CVersionResource record;
    ASSERT_TRUE(record.Parse(blob));
    VS_FIXEDFILEINFO fixed;
    ASSERT_TRUE(record.QueryFixedFileInfo(fixed));
    EXPECT_EQ(fixed, SampleLayout().fixedInfo);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);

    const std::vector<VersionTranslation> list = record.QueryTranslations();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1], (VersionTranslation{0x0407, 1200}));
    EXPECT_EQ(StringTableKey(list[1]), u"040704B0");

    std::u16string value;
    EXPECT_TRUE(record.QueryString(u"040704B0", u"Comments", value));
    EXPECT_EQ(value, u"\u00C4rger");
    // Keys compare without regard to case, as the Windows lookup does.
    EXPECT_TRUE(record.QueryString(u"040904b0", u"companyname", value));
    EXPECT_EQ(value, u"Vantor");
    EXPECT_FALSE(record.QueryString(u"040904B0", u"Comments", value));
    EXPECT_FALSE(record.QueryString(u"041104B0", u"CompanyName", value));
    EXPECT_EQ(record.StringTableKeys(), (std::vector<std::u16string>{u"040904B0", u"040704B0"}));
    EXPECT_NE(record.Find(u"\\"), nullptr);
    EXPECT_NE(record.Find(u"\\VarFileInfo\\Translation"), nullptr);
}

TEST(VersionResource, TakesTheFixedRecordOnlyWhenItIsExactly52Bytes)
{
    VersionRecordLayout layout = SampleLayout();
    layout.hasFixedInfo = false;
    CVersionResource record;
    ASSERT_TRUE(record.Parse(Build(layout)));
    VS_FIXEDFILEINFO fixed;
    EXPECT_FALSE(record.QueryFixedFileInfo(fixed));
    std::u16string value;
    EXPECT_TRUE(record.QueryString(u"040904B0", u"CompanyName", value));

    // A root value of any other size gives no fixed record.
    std::vector<uint8_t> blob = Build(SampleLayout());
    blob[2] = 56;
    ASSERT_TRUE(record.Parse(blob));
    EXPECT_FALSE(record.QueryFixedFileInfo(fixed));
}

TEST(VersionResource, ToleratesStringLengthsCountedInBytes)
{
    // Some writers count a text value in bytes rather than characters.
    VersionRecordLayout layout;
    layout.tables.push_back({u"040904B0", {{u"InternalName", u"Deutsch"}, {u"OriginalFileName", u"x.so"}}});
    std::vector<uint8_t> blob = Build(layout);
    // Find the "InternalName" node and double its value length.
    const std::u16string key = u"InternalName";
    for (size_t i = 0; i + key.size() * 2 < blob.size(); i += 2) {
        if (blob[i] == 'I' && blob[i + 2] == 'n' && blob[i + 4] == 't' && blob[i + 6] == 'e') {
            blob[i - 4] = static_cast<uint8_t>(blob[i - 4] * 2);
            break;
        }
    }
    CVersionResource record;
    ASSERT_TRUE(record.Parse(blob));
    std::u16string value;
    EXPECT_TRUE(record.QueryString(u"040904B0", u"InternalName", value));
    EXPECT_EQ(value, u"Deutsch");
    EXPECT_TRUE(record.QueryString(u"040904B0", u"OriginalFileName", value));
    EXPECT_EQ(value, u"x.so");
}

TEST(VersionResource, RefusesBlobsWithoutASoundRoot)
{
    CVersionResource record;
    EXPECT_FALSE(record.Parse(nullptr, 0));
    const uint8_t tiny[] = {6, 0, 0, 0, 0, 0};
    EXPECT_FALSE(record.Parse(tiny, sizeof tiny)); // key without its NUL
    std::vector<uint8_t> blob = Build(SampleLayout());
    EXPECT_FALSE(record.Parse(blob.data(), blob.size() - 1)); // root longer than the data
    std::vector<uint8_t> wrongKey = blob;
    wrongKey[6] = 'X';
    EXPECT_FALSE(record.Parse(wrongKey));
    EXPECT_TRUE(record.IsEmpty());
    EXPECT_TRUE(record.QueryTranslations().empty());
}

TEST(VersionResource, WriterRefusesRecordsBeyond64KiB)
{
    VersionRecordLayout layout;
    layout.tables.push_back({u"040904B0", {{u"Comments", std::u16string(40000, u'x')}}});
    std::vector<uint8_t> blob;
    EXPECT_FALSE(BuildVersionResource(layout, blob));
    EXPECT_TRUE(blob.empty());
}

TEST(VersionResource, DamagedBlobsNeverCrashTheParser)
{
    const std::vector<uint8_t> original = Build(SampleLayout());
    CVersionResource record;
    // Every truncation.
    for (size_t n = 0; n <= original.size(); ++n) {
        std::vector<uint8_t> cut(original.begin(), original.begin() + static_cast<long>(n));
        record.Parse(cut);
        record.QueryTranslations();
    }
    // Random damage, mostly to lengths and keys.
    std::mt19937 random(20240611);
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> blob = original;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e)
            blob[random() % blob.size()] = static_cast<uint8_t>(random());
        if (random() % 4 == 0)
            blob.resize(random() % blob.size());
        if (record.Parse(blob)) {
            VS_FIXEDFILEINFO fixed;
            record.QueryFixedFileInfo(fixed);
            record.QueryTranslations();
            std::u16string value;
            for (const std::u16string& key : record.StringTableKeys())
                record.QueryString(key, u"CompanyName", value);
        }
    }
}
