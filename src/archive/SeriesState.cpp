// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/SeriesState.h"

#include <algorithm>

#include "data/PaperData.h"
#include "data/SeriesPageText.h"
#include "data/SeriesRecords.h"
#include "platform/Sha256.h"
#include "platform/Text.h"

namespace Archive {

namespace {

void AppendLength(std::string& out, size_t n)
{
    uint8_t b[4];
    SeriesBytes::Put32(b, static_cast<uint32_t>(n));
    out.append(reinterpret_cast<const char*>(b), 4);
}

void AppendField(std::string& out, const std::string& field)
{
    AppendLength(out, field.size());
    out += field;
}

std::optional<double> Value(float v)
{
    if (v == CPaperData::kMissingValue)
        return std::nullopt;
    return static_cast<double>(v);
}

} // namespace

int64_t Digest64(const std::string& bytes)
{
    Platform::CSha256 sha;
    sha.Add(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    const auto d = sha.Finish();
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v = v << 8 | d[i];
    return static_cast<int64_t>(v);
}

std::string FoldRollId(const std::u16string& text)
{
    std::u16string folded = text;
    for (char16_t& c : folded) {
        if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
            c = static_cast<char16_t>(c + 0x20);
    }
    return Platform::ToUtf8(folded);
}

bool HasWildcards(const std::u16string& pattern)
{
    return pattern.find_first_of(u"*?") != std::u16string::npos;
}

std::string LikePattern(const std::u16string& pattern)
{
    const std::string folded = FoldRollId(pattern);
    std::string out;
    for (char c : folded) {
        if (c == '*')
            out += '%';
        else if (c == '?')
            out += '_';
        else if (c == '%' || c == '_' || c == '\\')
            out += '\\', out += c;
        else
            out += c;
    }
    return out;
}

std::string EncodeDeviceTexts(const std::vector<std::u16string>& texts)
{
    std::string out;
    for (const std::u16string& t : texts)
        AppendField(out, Platform::ToUtf8(t));
    return out;
}

std::vector<std::u16string> DecodeDeviceTexts(const std::string& bytes)
{
    std::vector<std::u16string> texts;
    size_t pos = 0;
    while (pos + 4 <= bytes.size() && texts.size() < SeriesBytes::kDeviceTextCount) {
        const uint32_t n = SeriesBytes::Get32(reinterpret_cast<const uint8_t*>(bytes.data() + pos));
        pos += 4;
        if (n > bytes.size() - pos)
            break;
        texts.push_back(Platform::FromUtf8(bytes.substr(pos, n)));
        pos += n;
    }
    texts.resize(SeriesBytes::kDeviceTextCount);
    return texts;
}

std::vector<std::u16string> InfoBlockTexts(const std::string& infoBlock)
{
    DEVICE_INFO_T info;
    std::copy_n(infoBlock.begin(), std::min(infoBlock.size(), sizeof info.bytes), info.bytes);
    std::vector<std::u16string> texts;
    for (size_t offset : SeriesBytes::kDeviceTextOffsets)
        texts.push_back(SeriesBytes::DeviceText(info, offset));
    return texts;
}

int64_t CountOutsideLimits(const CPaperData& data, int s)
{
    if (SeriesPageText::IsWithoutLimits(data, s))
        return 0;
    const double lower = data.GetLowerLimit(s) * 0.5, upper = data.GetUpperLimit(s) * 0.5;
    const bool r = data.GetRFlag(s) == 1;
    int64_t outside = 0;
    for (int k = 0; k < data.GetImpactCount(s); ++k) {
        const double v = data.GetValue(s, k, !r) * 0.5;
        if (v < lower || v > upper)
            ++outside;
    }
    return outside;
}

std::vector<SSeriesState> MakeSeriesStates(const CPaperData& data)
{
    std::vector<SSeriesState> states(data.GetCount());
    std::vector<uint8_t> all;
    data.WriteSeries(all);
    std::string info(SeriesBytes::kInfoSize, '\0');
    data.GetInfoBlock(reinterpret_cast<uint8_t*>(info.data()));
    const int64_t infoDigest = Digest64(info);
    const std::vector<std::u16string> infoTexts = InfoBlockTexts(info);
    size_t pos = 0;
    for (int s = 0; s < data.GetCount(); ++s) {
        SSeriesState& st = states[s];
        const size_t size = SeriesBytes::kHeadSize + SeriesBytes::kMeasSize * data.GetImpactCount(s);
        st.seriesBytes.assign(reinterpret_cast<const char*>(all.data()) + pos,
                              std::min(size, all.size() - std::min(pos, all.size())));
        pos += size;
        st.serial = Platform::ToUtf8(data.GetSerial(s));
        st.counter = data.GetCounter(s);
        st.dateTime = data.GetDateTime(s);
        st.impactsDigest = Digest64(st.seriesBytes.size() > SeriesBytes::kHeadSize
                                        ? st.seriesBytes.substr(SeriesBytes::kHeadSize)
                                        : std::string());
        st.rollId = Platform::ToUtf8(data.GetRollId(s));
        st.rollIdFolded = FoldRollId(data.GetRollId(s));
        st.comment = Platform::ToUtf8(data.GetComment(s));
        st.rFlag = data.GetRFlag(s);
        st.factor = data.GetFactor(s);
        st.lowerLimit = data.GetLowerLimit(s);
        st.upperLimit = data.GetUpperLimit(s);
        st.impactCount = data.GetImpactCount(s);
        std::vector<std::u16string> texts;
        for (int w = 0; w < SeriesBytes::kDeviceTextCount; ++w)
            texts.push_back(data.GetDeviceText(s, w));
        const std::string encodedTexts = EncodeDeviceTexts(texts);
        if (texts != infoTexts)
            st.deviceTexts = encodedTexts;
        st.infoBlock = info;
        st.infoDigest = infoDigest;

        std::string content;
        AppendField(content, st.seriesBytes);
        AppendField(content, st.rollId);
        AppendField(content, st.comment);
        AppendField(content, encodedTexts);
        AppendField(content, info);
        st.contentDigest = Digest64(content);

        const SeriesStatistics stats = data.ComputeStatistics(s);
        const bool r = st.rFlag == 1;
        if (st.impactCount > 0) {
            st.mean = r ? stats.meanR : stats.meanQ;
            st.minimum = stats.minR;
            st.maximum = stats.maxR;
        }
        if (st.impactCount > 1)
            st.standardDeviation = Value(r ? stats.stdDevR : stats.stdDevQ);
        if (st.mean && st.standardDeviation && *st.mean > 0)
            st.covPercent = *st.standardDeviation / *st.mean * 100.0;
        st.outsideLimits = CountOutsideLimits(data, s);
    }
    return states;
}

bool AppendRevision(CPaperData& data, const SArchivedRevision& revision)
{
    const int before = data.GetCount();
    if (revision.seriesBytes.size() < SeriesBytes::kHeadSize)
        return false;
    if (!data.ParseSeries(reinterpret_cast<const uint8_t*>(revision.seriesBytes.data()), revision.seriesBytes.size(),
                          true, false, true) ||
        data.GetCount() != before + 1) {
        while (data.GetCount() > before)
            data.DeleteSeries(data.GetCount() - 1);
        return false;
    }
    const int s = before;
    // The parse takes the instrument's record, which has no unit flag or
    // factor: they come from the stored head.
    data.SetRFlag(s, static_cast<uint8_t>(revision.seriesBytes[23]));
    data.SetFactor(s, static_cast<uint8_t>(revision.seriesBytes[24]));
    data.SetRollId(s, revision.rollId);
    data.SetComment(s, revision.comment);
    for (int w = 0; w < SeriesBytes::kDeviceTextCount && w < static_cast<int>(revision.deviceTexts.size()); ++w)
        data.SetDeviceText(s, w, revision.deviceTexts[w]);
    return true;
}

} // namespace Archive
