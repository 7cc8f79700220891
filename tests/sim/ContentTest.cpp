// SPDX-License-Identifier: GPL-3.0-or-later
// Content: the byte layouts the instrument sends, JSON content files and the
// generated series.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/ContentJson.h"
#include "sim/SeriesGenerator.h"
#include "sim/SimContent.h"

namespace {

using namespace Sim;

TEST(SimContent, SeriesStreamAndInformationBlockLayout)
{
    SSimSeries s;
    s.rollId = "ROLL-0123456789AB";   // 17 characters: cut to 16
    s.counter = 0x1234;
    s.dateTime = 0x0A0B0C0D;
    s.lowerLimit = 80;
    s.upperLimit = 110;
    s.impacts = {{91, 2412, 0}, {90, 0xABCD, 7}};
    const std::vector<uint8_t> b = BuildSeriesBytes({s});
    ASSERT_EQ(b.size(), 27u + 8u);
    EXPECT_EQ(std::memcmp(b.data(), "ROLL-0123456789A", 16), 0);
    EXPECT_EQ(b[16], 0x34);
    EXPECT_EQ(b[17], 0x12);
    EXPECT_EQ(b[18], 0x0D);
    EXPECT_EQ(b[21], 0x0A);
    EXPECT_EQ(b[22], 2);
    EXPECT_EQ(b[23], 80);
    EXPECT_EQ(b[24], 110);
    EXPECT_EQ(b[25], 0);
    EXPECT_EQ(b[26], 0);
    EXPECT_EQ(b[27 + 4], 90);
    EXPECT_EQ(b[27 + 5], 0xCD);
    EXPECT_EQ(b[27 + 6], 0xAB);
    EXPECT_EQ(b[27 + 7], 7);

    SSimContent c;
    c.identity.serialNumber = "VT-1";
    c.identity.hardwareRevision = "CD";   // fills its two bytes, runs on into 64
    const auto block = BuildInfoBlock(c);
    EXPECT_STREQ(reinterpret_cast<const char*>(&block[2]), "Veltrano");
    EXPECT_STREQ(reinterpret_cast<const char*>(&block[34]), "VT-1");
    EXPECT_STREQ(reinterpret_cast<const char*>(&block[48]), "2.14.0.3");
    EXPECT_STREQ(reinterpret_cast<const char*>(&block[64]), "1.3.0.0");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&block[62]), 2), "CD");
}

TEST(SimContent, TimeCountIsWallClockArithmetic)
{
    EXPECT_EQ(DateTimeToCount(2000, 1, 1, 0, 0, 0), 0u);
    EXPECT_EQ(DateTimeToCount(2000, 3, 1, 0, 0, 1), (31u + 29u) * 86400u + 1u);
    int y, mo, d, h, mi, s;
    CountToDateTime(DateTimeToCount(2031, 12, 31, 23, 59, 58), y, mo, d, h, mi, s);
    EXPECT_EQ(std::vector<int>({y, mo, d, h, mi, s}), std::vector<int>({2031, 12, 31, 23, 59, 58}));
}

TEST(SimContent, JsonContentIsReadAndWrittenBack)
{
    const std::string doc = R"({
      "identity": { "serialNumber": "VT-9", "signature": "0700ABCD", "hardwareId": 77 },
      "option": true, "echo": true,
      "names": ["PM1 NP", "Z\u00fcrich"],
      "series": [ { "rollId": "R1", "counter": 7, "dateTime": "2024-01-08 06:41:10",
                    "lowerLimit": 40, "upperLimit": 55.5,
                    "impacts": [ [45.5, 2.412, 0], { "q": 46, "energy": 2.398, "status": 3 } ] },
                  { "rollId": "R2", "dateTime": 12345 } ],
      "generate": { "series": 2, "seed": 9 } })";
    SSimContent c;
    std::string error;
    ASSERT_TRUE(ContentFromJson(doc, c, error)) << error;
    EXPECT_EQ(c.identity.serialNumber, "VT-9");
    EXPECT_EQ(c.identity.signature, 0x0700ABCDu);
    EXPECT_EQ(c.identity.hardwareId, 77u);
    EXPECT_TRUE(c.option88);
    EXPECT_TRUE(c.echo);
    EXPECT_EQ(c.names[1], "Z\xFCrich");
    ASSERT_EQ(c.series.size(), 4u);
    EXPECT_EQ(c.series[0].dateTime, DateTimeToCount(2024, 1, 8, 6, 41, 10));
    EXPECT_EQ(c.series[0].upperLimit, 111);
    EXPECT_EQ(c.series[0].impacts[0].value, 91);
    EXPECT_EQ(c.series[0].impacts[0].energy, 2412);
    EXPECT_EQ(c.series[0].impacts[1].status, 3);
    EXPECT_EQ(c.series[1].dateTime, 12345u);
    EXPECT_EQ(c.series[1].upperLimit, 200);   // no upper limit by default

    SSimContent again;
    ASSERT_TRUE(ContentFromJson(ContentToJson(c), again, error)) << error;
    EXPECT_EQ(BuildSeriesBytes(again.series), BuildSeriesBytes(c.series));
    EXPECT_EQ(again.names, c.names);
    EXPECT_EQ(BuildInfoBlock(again), BuildInfoBlock(c));
}

TEST(SimContent, BadJsonIsRefusedWithItsPlace)
{
    const std::pair<const char*, const char*> cases[] = {
        {R"({"series": [ {"impacts": [[128]]} ]})", "series[0].impacts[0].q"},
        {R"({"series": [ {"rollId": "12345678901234567"} ]})", "series[0].rollId"},
        {R"({"series": [ {"dateTime": "2023-02-29 10:00:00"} ]})", "series[0].dateTime"},
        {R"({"series": [ {"dateTime": "2137-01-01 00:00:00"} ]})", "series[0].dateTime"},
        {R"({"series": [ {"counter": 70000} ]})", "series[0].counter"},
        {R"({"series": [ {"impacts": [[40, 70]]} ]})", "series[0].impacts[0].energy"},
        {R"({"names": ["ABCDEFGHIJKLM"]})", "names[0]"},
        {R"({"names": [""]})", "names[0]"},
        {R"({"identity": {"serialNumber": "A;B"}})", "identity.serialNumber"},
        {R"({"identity": {"signature": "XYZ"}})", "identity.signature"},
        {R"({"infoBlock": "00"})", "infoBlock"},
        {R"({"rollID": 1})", "document"},
        {R"({"series": [)", "parse"},
    };
    for (const auto& [doc, where] : cases) {
        SSimContent c;
        c.names = {"KEEP"};
        std::string error;
        EXPECT_FALSE(ContentFromJson(doc, c, error)) << doc;
        EXPECT_NE(error.find(where), std::string::npos) << doc << " -> " << error;
        EXPECT_EQ(c.names, std::vector<std::string>{"KEEP"}) << "content changed by " << doc;
    }
    std::string error;
    SSimContent c;
    EXPECT_FALSE(LoadContentFile("/nonexistent/content.json", c, error));
}

TEST(SimContent, GeneratedSeriesArePlausibleAndReproducible)
{
    const auto a = GenerateSeries(300, 42);
    EXPECT_EQ(BuildSeriesBytes(a), BuildSeriesBytes(GenerateSeries(300, 42)));
    EXPECT_NE(BuildSeriesBytes(a), BuildSeriesBytes(GenerateSeries(300, 43)));
    size_t withoutLimits = 0;
    int y0, mo, d, h, mi, s;
    CountToDateTime(a.front().dateTime, y0, mo, d, h, mi, s);
    const int firstDay = static_cast<int>(a.front().dateTime / 86400);
    for (size_t i = 0; i < a.size(); ++i) {
        const SSimSeries& x = a[i];
        EXPECT_GE(x.impacts.size(), 5u);
        EXPECT_LE(x.impacts.size(), 80u);
        EXPECT_FALSE(x.rollId.empty());
        EXPECT_LE(x.rollId.size(), 16u);
        double sum = 0;
        for (const SSimImpact& imp : x.impacts) {
            sum += imp.value * 0.5;
            EXPECT_GT(imp.energy, 1500);
            EXPECT_LT(imp.energy, 3500);
        }
        const double mean = sum / x.impacts.size();
        EXPECT_GT(mean, 30.0);
        EXPECT_LT(mean, 65.0);
        if (x.lowerLimit == 0 && x.upperLimit == 200)
            ++withoutLimits;
        else
            EXPECT_LT(x.lowerLimit, x.upperLimit);
        if (i > 0) {
            EXPECT_GT(x.counter, a[i - 1].counter);
            EXPECT_GT(x.dateTime, a[i - 1].dateTime);
        }
    }
    EXPECT_GT(withoutLimits, 10u);
    EXPECT_LT(withoutLimits, 100u);
    EXPECT_GT(static_cast<int>(a.back().dateTime / 86400) - firstDay, 3);

    std::vector<SSimSeries> grown = GenerateSeries(2, 1);
    GrowSeriesBeyond(grown, 65536, 1);
    EXPECT_GT(BuildSeriesBytes(grown).size(), 65536u);
    EXPECT_GT(grown.back().counter, grown.front().counter);
}

} // namespace
