// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/SeriesRecords.h"

#include <cstring>

namespace {

const SharedDeviceTexts& EmptyDeviceTexts()
{
    static const SharedDeviceTexts empty = std::make_shared<const DeviceTexts>();
    return empty;
}

} // namespace

probe_meas_t::probe_meas_t() : deviceTexts(EmptyDeviceTexts()) {}

namespace SeriesBytes {

MEAS_T LoadMeas(const uint8_t* p)
{
    MEAS_T m;
    m.value = p[0];
    m.energy = Get16(p + 1);
    m.status = p[3];
    return m;
}

void StoreMeas(const MEAS_T& m, uint8_t* p)
{
    p[0] = m.value;
    Put16(p + 1, m.energy);
    p[3] = m.status;
}

SERIES_HEAD_T LoadHead(const uint8_t* p)
{
    SERIES_HEAD_T h;
    std::memcpy(h.rollId, p, kRollIdSize);
    h.counter = Get16(p + 16);
    h.dateTime = Get32(p + 18);
    h.impactCount = p[22];
    h.rFlag = p[23];
    h.factor = p[24];
    h.lowerLimit = p[25];
    h.upperLimit = p[26];
    return h;
}

void StoreHead(const SERIES_HEAD_T& h, uint8_t* p)
{
    std::memcpy(p, h.rollId, kRollIdSize);
    Put16(p + 16, h.counter);
    Put32(p + 18, h.dateTime);
    p[22] = h.impactCount;
    p[23] = h.rFlag;
    p[24] = h.factor;
    p[25] = h.lowerLimit;
    p[26] = h.upperLimit;
    p[27] = 0;
    p[28] = 0;
}

std::u16string DeviceText(const DEVICE_INFO_T& info, size_t offset)
{
    std::u16string text;
    for (size_t k = offset; k < kInfoSize && info.bytes[k] != 0; ++k)
        text.push_back(static_cast<char16_t>(info.bytes[k]));
    return text;
}

} // namespace SeriesBytes
