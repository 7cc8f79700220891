// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Version.h"

#include "platform/Text.h"

namespace {

bool IsCLibrarySpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

// One "%d"-style conversion: optional white space, an optional sign, then at
// least one digit.  The magnitude saturates at the largest 64-bit value, so
// an overlong number still compares as "above" every limit.
bool ReadNumber(std::u16string_view text, size_t& pos, uint64_t& magnitude, bool& negative)
{
    size_t i = pos;
    while (i < text.size() && IsCLibrarySpace(text[i]))
        ++i;
    negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i >= text.size() || text[i] < u'0' || text[i] > u'9')
        return false;
    magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        const uint64_t digit = static_cast<uint64_t>(text[i] - u'0');
        magnitude = magnitude > (UINT64_MAX - digit) / 10 ? UINT64_MAX : magnitude * 10 + digit;
    }
    pos = i;
    return true;
}

} // namespace

CVersion::CVersion(uint16_t major, uint16_t minor, uint16_t build, uint16_t revision)
    : m_value((static_cast<uint64_t>(major) << 48) | (static_cast<uint64_t>(minor) << 32) |
              (static_cast<uint64_t>(build) << 16) | revision)
{
}

void CVersion::Parse(std::u16string_view input)
{
    m_value = 0;
    std::u16string text;
    text.reserve(input.size());
    for (char16_t c : input) {
        if (c == u' ')
            continue;
        text += c == u',' ? u'.' : c;
    }

    uint64_t parts[4] = {};
    bool anyNegative = false;
    int count = 0;
    size_t pos = 0;
    while (count < 4) {
        if (count > 0) {
            if (pos >= text.size() || text[pos] != u'.')
                break;
            ++pos;
        }
        bool negative = false;
        if (!ReadNumber(text, pos, parts[count], negative))
            break;
        anyNegative = anyNegative || negative;
        ++count;
    }
    // A negative part is no version (read as unsigned it is above every limit).
    if (count == 0 || anyNegative)
        return;

    switch (count) {
    case 4:
    case 3:
        for (int i = 0; i < count; ++i)
            if (parts[i] > 0xFFFF)
                return;
        m_value = (parts[0] << 48) | (parts[1] << 32) | (parts[2] << 16) | parts[3];
        break;
    case 2:
        if (parts[0] > 0xFFFFFFFFu || parts[1] > 0xFFFFFFFFu)
            return;
        m_value = (parts[0] << 32) | parts[1];
        break;
    default:
        if (text.size() < 20)
            m_value = parts[0];
        break;
    }
}

std::u16string CVersion::Format(int parts) const
{
    using unsigned_ll = unsigned long long;
    switch (parts) {
    case 2:
        return Platform::Format("%llu.%llu", unsigned_ll(m_value >> 32), unsigned_ll(m_value & 0xFFFFFFFFu));
    case 3:
        return Platform::Format("%u.%u.%u", unsigned(GetPart(0)), unsigned(GetPart(1)), unsigned(GetPart(2)));
    case 4:
        return Platform::Format("%u.%u.%u.%u", unsigned(GetPart(0)), unsigned(GetPart(1)), unsigned(GetPart(2)),
                                unsigned(GetPart(3)));
    default:
        return Platform::Format("%llu", unsigned_ll(m_value));
    }
}

uint16_t CVersion::GetPart(int index) const
{
    if (index < 0 || index > 3)
        return 0;
    return static_cast<uint16_t>(m_value >> (48 - 16 * index));
}

void CVersion::ToMessageParams(uint32_t& wParam, uint32_t& lParam) const
{
    wParam = static_cast<uint32_t>(GetPart(1)) * 65536u + GetPart(0);
    lParam = static_cast<uint32_t>(GetPart(3)) * 65536u + GetPart(2);
}

CVersion CVersion::FromMessageParams(uint32_t wParam, uint32_t lParam)
{
    return CVersion(static_cast<uint16_t>(wParam & 0xFFFF), static_cast<uint16_t>(wParam >> 16),
                    static_cast<uint16_t>(lParam & 0xFFFF), static_cast<uint16_t>(lParam >> 16));
}
