// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/Contents.h"

#include "platform/Text.h"

namespace Device {

namespace {

uint16_t Le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

} // namespace

SContentEntry SContentEntry::FromPackageBytes(const uint8_t* b)
{
    SContentEntry e;
    e.flags = b[0];
    e.second = b[1];
    e.kind = Le16(b + 2);
    e.version = CVersion(Le16(b + 4), Le16(b + 6), Le16(b + 8), 0);
    if (e.flags & CONTENT_HAS_NAME) {
        // Three 8-bit characters; a zero byte ends the name early.
        for (int i = 0; i < 3 && b[10 + i] != 0; ++i)
            e.name += static_cast<char16_t>(b[10 + i]);
    }
    const unsigned size = b[13];
    if (e.flags & CONTENT_SIZE_4KB)
        e.sizeText = Platform::Format("%d kB", static_cast<int>(4 * size));
    else if (e.flags & CONTENT_SIZE_TENTH_MB)
        e.sizeText = Platform::Format("%0.1f MB", size / 10.0);
    else if (e.flags & CONTENT_SIZE_16B)
        e.sizeText = Platform::Format("%d B", static_cast<int>(16 * size));
    e.value1 = Le16(b + 14);
    e.value2 = Le16(b + 16);
    return e;
}

void CContents::Append(const SContentEntry& entry)
{
    m_entries.push_back(entry);
}

bool CContents::AddChecked(const SContentEntry& entry)
{
    if (entry.kind < 0 || entry.kind >= CONTENT_KIND_LIMIT || entry.value2 == 0 || m_complete)
        return false;
    if (m_entries.size() >= m_announced)
        return false;
    m_entries.push_back(entry);
    if (m_entries.size() == m_announced)
        m_complete = true;
    return true;
}

void CContents::Clear()
{
    m_entries.clear();
    m_format = CVersion(kDefaultFormat);
    m_announced = 0;
    m_complete = false;
}

} // namespace Device
