// SPDX-License-Identifier: GPL-3.0-or-later
// Builders of the byte streams the data layer reads: series records as the
// instrument sends them or as project files store them, and whole project
// streams written by hand (for the older formats the program no longer writes).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/PaperData.h"

namespace DataTest {

struct Series {
    std::string id;               // 8-bit roll ID
    uint16_t counter = 0;
    uint32_t dateTime = 0;
    std::vector<uint8_t> values;  // impact values (half steps)
    uint16_t energy = 1500;       // energy of every impact
    uint8_t lower = 0;
    uint8_t upper = 200;
    uint8_t rFlag = 1;            // stored heads only
    uint8_t factor = 200;         // stored heads only
};

// Little-endian byte writer with the archive's text encoding.
class Bytes {
public:
    std::vector<uint8_t> data;

    Bytes& U8(uint8_t v)
    {
        data.push_back(v);
        return *this;
    }
    Bytes& U16(uint16_t v) { return U8(static_cast<uint8_t>(v)).U8(static_cast<uint8_t>(v >> 8)); }
    Bytes& U32(uint32_t v) { return U16(static_cast<uint16_t>(v)).U16(static_cast<uint16_t>(v >> 16)); }
    Bytes& Raw(const std::vector<uint8_t>& bytes)
    {
        data.insert(data.end(), bytes.begin(), bytes.end());
        return *this;
    }
    Bytes& Block(const std::vector<uint8_t>& bytes) { return U32(static_cast<uint32_t>(bytes.size())).Raw(bytes); }
    // Marker 0xFE with 16-bit characters.
    Bytes& Text(const std::u16string& text)
    {
        U8(0xFE).U16(static_cast<uint16_t>(text.size()));
        for (char16_t c : text)
            U16(static_cast<uint16_t>(c));
        return *this;
    }
    // Marker 0xFF with 8-bit characters.
    Bytes& Text8(const std::string& text)
    {
        U8(0xFF).U16(static_cast<uint16_t>(text.size()));
        for (char c : text)
            U8(static_cast<uint8_t>(c));
        return *this;
    }
    Bytes& TextList(const std::vector<std::u16string>& texts)
    {
        U32(static_cast<uint32_t>(texts.size()));
        for (const auto& t : texts)
            Text(t);
        return *this;
    }
};

inline void PutId(Bytes& b, const std::string& id, size_t size)
{
    for (size_t k = 0; k < size; ++k)
        b.U8(k < id.size() ? static_cast<uint8_t>(id[k]) : 0);
}

inline void PutImpacts(Bytes& b, const Series& s)
{
    for (uint8_t v : s.values)
        b.U8(v).U16(s.energy).U8(0x5A);
}

// The instrument's record: no R flag, no factor.
inline std::vector<uint8_t> InstrumentRecords(const std::vector<Series>& list)
{
    Bytes b;
    for (const Series& s : list) {
        PutId(b, s.id, 16);
        b.U16(s.counter).U32(s.dateTime).U8(static_cast<uint8_t>(s.values.size()));
        b.U8(s.lower).U8(s.upper).U16(0);
        PutImpacts(b, s);
    }
    return b.data;
}

// Stored heads (29 bytes, or 26 with the 13-byte IDs of format 1).
inline std::vector<uint8_t> StoredRecords(const std::vector<Series>& list, size_t idSize = 16)
{
    Bytes b;
    for (const Series& s : list) {
        PutId(b, s.id, idSize);
        b.U16(s.counter).U32(s.dateTime).U8(static_cast<uint8_t>(s.values.size()));
        b.U8(s.rFlag).U8(s.factor).U8(s.lower).U8(s.upper).U16(0);
        PutImpacts(b, s);
    }
    return b.data;
}

// An information block with a serial number at byte 34 and texts at 2, 48,
// 62 and 64.
inline std::vector<uint8_t> InfoBlock(const std::string& serial, const std::string& name = "VELTRANO")
{
    std::vector<uint8_t> block(128, 0);
    auto put = [&](size_t at, const std::string& text) {
        for (size_t k = 0; k < text.size() && at + k < block.size(); ++k)
            block[at + k] = static_cast<uint8_t>(text[k]);
    };
    put(2, name);
    put(34, serial);
    put(48, "FW 2.10");
    put(62, "A");
    put(64, "B7");
    return block;
}

// A project stream of format 1 or 2 (or 3 with the axis list), written by
// hand.  The current collection equals the original; comments are given per
// series; the device text lists repeat the information block's texts.
inline std::vector<uint8_t> HandProject(uint16_t format, const std::vector<Series>& list,
                                        const std::vector<std::u16string>& comments,
                                        const std::string& serial = "S-1001")
{
    const size_t idSize = format == 1 ? 13 : 16;
    const std::vector<uint8_t> info = InfoBlock(serial);
    const std::vector<uint8_t> records = StoredRecords(list, idSize);
    std::vector<std::u16string> rollIds;
    for (const Series& s : list)
        rollIds.emplace_back(s.id.begin(), s.id.begin() + static_cast<long>(std::min(s.id.size(), idSize)));
    Bytes b;
    b.Text(u"Vantor Brelmora project file").U16(1).U16(2).U16(0).U16(0).U16(format);
    b.Block(info).Block(records).Block(info).Block(records);
    b.TextList(comments).TextList(rollIds);
    const std::string texts[5] = {serial, "VELTRANO", "FW 2.10", "A", "B7"};
    for (const std::string& t : texts) {
        const std::vector<std::u16string> same(list.size(), std::u16string(t.begin(), t.end()));
        b.TextList(same).TextList(same);
    }
    b.U32(static_cast<uint32_t>(list.size()));
    for (size_t i = 0; i < list.size(); ++i)
        b.U16(1);   // graph order "by value"
    b.U32(1).Text(u"summary note").U16(7).U8(1);
    if (format >= 3) {
        b.U32(static_cast<uint32_t>(list.size()));
        for (size_t i = 0; i < list.size(); ++i)
            b.U8(0);
    }
    for (int k = 0; k < 20; ++k)
        b.U32(0);
    return b.data;
}

// The series of `list` parsed into a data object as a download stores them.
inline std::unique_ptr<CPaperData> ParsedData(const std::vector<Series>& list, const std::string& serial = "VT-77")
{
    auto data = std::make_unique<CPaperData>();
    const std::vector<uint8_t> info = InfoBlock(serial);
    data->SetInfoBlock(info.data(), info.size());
    const std::vector<uint8_t> bytes = InstrumentRecords(list);
    EXPECT_TRUE(data->ParseSeries(bytes.data(), bytes.size(), false, false, false));
    return data;
}

} // namespace DataTest
