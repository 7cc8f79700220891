// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection/FirmwareCounters.h"

#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "platform/Text.h"

namespace Connection {

namespace {

constexpr char16_t kCountValue[] = u"FwUpdateFailCount";
constexpr char16_t kLimitValue[] = u"FwUpdateFailCountMax";

// A decimal number, optionally signed, with nothing after it but blanks.
bool ParseDecimal(const std::u16string& text, int32_t& value)
{
    size_t i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    int64_t v = 0;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits) {
        v = v * 10 + (text[i] - u'0');
        if (v > INT32_MAX)
            return false;
    }
    while (i < text.size() && text[i] == u' ')
        ++i;
    if (digits == 0 || i != text.size())
        return false;
    value = static_cast<int32_t>(negative ? -v : v);
    return true;
}

} // namespace

std::u16string FirmwareSettingsKey(const std::u16string& productName)
{
    return u"Software\\Vantor\\" + productName + u"\\Settings";
}

SFirmwareCounters SFirmwareCounters::Read(const std::u16string& keyPath)
{
    SFirmwareCounters counters;
    Platform::CRegKey key;
    if (key.Open(keyPath, Platform::CRegKey::Read) != Platform::ERROR_SUCCESS)
        return counters;
    std::u16string text;
    int32_t value = 0;
    if (key.QueryString(kCountValue, text) == Platform::ERROR_SUCCESS && ParseDecimal(text, value) && value >= 0)
        counters.count = value;
    // A limit of 0 or below would remind after every failed check.
    if (key.QueryString(kLimitValue, text) == Platform::ERROR_SUCCESS && ParseDecimal(text, value) && value > 0)
        counters.limit = value;
    return counters;
}

bool SFirmwareCounters::Write(const std::u16string& keyPath) const
{
    Platform::CRegKey key;
    if (key.Create(keyPath) != Platform::ERROR_SUCCESS)
        return false;
    const bool countOk = key.SetString(kCountValue, Platform::Format("%d", count)) == Platform::ERROR_SUCCESS;
    const bool limitOk = key.SetString(kLimitValue, Platform::Format("%d", limit)) == Platform::ERROR_SUCCESS;
    return countOk && limitOk;
}

void SFirmwareCounters::Succeeded()
{
    count = 0;
    limit = kDefaultLimit;
}

bool SFirmwareCounters::Failed()
{
    if (count < INT32_MAX)
        ++count;
    if (count <= limit)
        return false;
    limit = count <= 10 ? 10 : limit / 2;
    count = 0;
    return true;
}

} // namespace Connection
