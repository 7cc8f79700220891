// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the clipboard tests: a fixture with the stream library started
// and a private in-memory clipboard bound, and documents filled as after a
// download.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SeriesBytesBuilder.h"
#include "data/Clipboard.h"
#include "data/ClipboardData.h"
#include "data/PaperDoc.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"

namespace DataTest {

class ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(StreamIO::Initialize());
        Clipboard::SetProcess(&clipboard);
    }
    void TearDown() override { Clipboard::SetProcess(nullptr); }

    // Puts raw bytes under the private format.
    void PutRaw(const std::vector<uint8_t>& bytes) { clipboard.SetData(ClipboardData::kFormatName, bytes); }
    std::vector<uint8_t> Raw() { return clipboard.GetData(ClipboardData::kFormatName); }

    CMemoryClipboard clipboard;
};

// Fills `doc` as a download would: `counters.size()` series with roll IDs
// "<prefix><counter>", two impacts each, under an information block with
// the serial number `serial`.  The change mark is cleared afterwards.
inline void Fill(CPaperDoc& doc, const std::string& serial, const std::string& prefix,
                 const std::vector<uint16_t>& counters)
{
    const std::vector<uint8_t> info = InfoBlock(serial);
    doc.StoreDownloadedInfo(info.data(), info.size());
    std::vector<Series> list;
    for (uint16_t c : counters) {
        Series s;
        s.id = prefix + std::to_string(c);
        s.counter = c;
        s.dateTime = 1000u * c;
        s.values = {static_cast<uint8_t>(40 + c % 50), static_cast<uint8_t>(60 + c % 30)};
        list.push_back(s);
    }
    const std::vector<uint8_t> bytes = InstrumentRecords(list);
    doc.StoreDownloadedSeries(bytes.data(), bytes.size());
    doc.TakeChangeMark();
}

// The selection of the given series of `doc`.
inline std::vector<uint8_t> Select(const CPaperDoc& doc, const std::vector<int>& chosen)
{
    std::vector<uint8_t> selection(static_cast<size_t>(doc.GetCount()), 0);
    for (int i : chosen)
        selection[static_cast<size_t>(i)] = 1;
    return selection;
}

// A document's current series as "rollId/comment/counter" lines, to compare
// before and after a refused paste.
inline std::vector<std::string> Snapshot(const CPaperDoc& doc)
{
    std::vector<std::string> lines;
    for (int i = 0; i < doc.GetCount(); ++i)
        lines.push_back(Platform::ToUtf8(doc.GetRollId(i)) + "/" + Platform::ToUtf8(doc.GetComment(i)) + "/" +
                        std::to_string(doc.GetCounter(i)) + "/" + Platform::ToUtf8(doc.GetSerial(i)));
    return lines;
}

} // namespace DataTest
