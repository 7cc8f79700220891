// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimContent.h"

#include <algorithm>
#include <cstring>

namespace Sim {

namespace {

void PutText(std::array<uint8_t, INFO_BLOCK_SIZE>& block, size_t offset, size_t size,
             const std::string& text)
{
    // The field is zero-filled; a text as long as the field runs into the next
    // one, as the program's reader allows.
    const size_t n = std::min(text.size(), size);
    std::memcpy(block.data() + offset, text.data(), n);
}

void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Days from 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

const int64_t kEpochDays = DaysFromCivil(2000, 1, 1);

} // namespace

std::array<uint8_t, INFO_BLOCK_SIZE> BuildInfoBlock(const SSimContent& content)
{
    if (content.hasRawInfoBlock)
        return content.rawInfoBlock;
    std::array<uint8_t, INFO_BLOCK_SIZE> block{};
    block[INFO_OFS_VERSION] = 1;
    const SSimIdentity& id = content.identity;
    PutText(block, INFO_OFS_NAME, INFO_OFS_SERIAL - INFO_OFS_NAME, id.typeName);
    PutText(block, INFO_OFS_SERIAL, INFO_OFS_APPVER - INFO_OFS_SERIAL, id.serialNumber);
    PutText(block, INFO_OFS_APPVER, INFO_OFS_HWREV - INFO_OFS_APPVER, id.applicationVersion);
    PutText(block, INFO_OFS_HWREV, INFO_OFS_BOOTVER - INFO_OFS_HWREV, id.hardwareRevision);
    PutText(block, INFO_OFS_BOOTVER, INFO_OFS_RESERVED - INFO_OFS_BOOTVER, id.bootloaderVersion);
    return block;
}

size_t SeriesByteSize(const SSimSeries& series)
{
    return SERIES_HEAD_SIZE + IMPACT_SIZE * std::min(series.impacts.size(), MAX_IMPACTS);
}

std::vector<uint8_t> BuildSeriesBytes(const std::vector<SSimSeries>& series)
{
    size_t total = 0;
    for (const SSimSeries& s : series)
        total += SeriesByteSize(s);
    std::vector<uint8_t> out;
    out.reserve(total);
    for (const SSimSeries& s : series) {
        uint8_t id[ROLL_ID_SIZE] = {};
        std::memcpy(id, s.rollId.data(), std::min(s.rollId.size(), ROLL_ID_SIZE));
        out.insert(out.end(), id, id + ROLL_ID_SIZE);
        Put16(out, s.counter);
        Put32(out, s.dateTime);
        const size_t count = std::min(s.impacts.size(), MAX_IMPACTS);
        out.push_back(static_cast<uint8_t>(count));
        out.push_back(s.lowerLimit);
        out.push_back(s.upperLimit);
        out.push_back(s.reserved[0]);
        out.push_back(s.reserved[1]);
        for (size_t k = 0; k < count; ++k) {
            out.push_back(s.impacts[k].value);
            Put16(out, s.impacts[k].energy);
            out.push_back(s.impacts[k].status);
        }
    }
    return out;
}

int64_t DateTimeToSeconds(int year, int month, int day, int hour, int minute, int second)
{
    const int64_t days = DaysFromCivil(year, static_cast<unsigned>(month),
                                       static_cast<unsigned>(day)) - kEpochDays;
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

uint32_t DateTimeToCount(int year, int month, int day, int hour, int minute, int second)
{
    return static_cast<uint32_t>(DateTimeToSeconds(year, month, day, hour, minute, second));
}

void CountToDateTime(uint32_t count, int& year, int& month, int& day, int& hour, int& minute,
                     int& second)
{
    const int64_t days = count / 86400;
    uint32_t rest = count % 86400;
    CivilFromDays(days + kEpochDays, year, month, day);
    hour = static_cast<int>(rest / 3600);
    rest %= 3600;
    minute = static_cast<int>(rest / 60);
    second = static_cast<int>(rest % 60);
}

} // namespace Sim
