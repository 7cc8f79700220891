// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/FileVersionInfo.h"

#include "platform/ExecutableResources.h"
#include "platform/Text.h"
#include "platform/UserLanguage.h"

using Platform::VersionTranslation;

void CFileVersionInfo::Reset()
{
    m_fixedInfo = Platform::VS_FIXEDFILEINFO();
    m_translation = VersionTranslation();
    for (std::u16string* s : {&m_companyName, &m_fileDescription, &m_fileVersion, &m_internalName,
                              &m_legalCopyright, &m_originalFileName, &m_productName, &m_productVersion,
                              &m_comments, &m_legalTrademarks, &m_privateBuild, &m_specialBuild,
                              &m_requiredOSVersion})
        s->clear();
}

bool CFileVersionInfo::Read()
{
    // The link names the running file even when it was replaced on disk.
    return Read(u"/proc/self/exe");
}

bool CFileVersionInfo::Read(const std::u16string& path)
{
    Reset();
    std::vector<uint8_t> blob;
    if (Platform::ReadVersionRecord(path, blob) != Platform::ResourceStatus::Found)
        return false;
    return ReadFromData(blob.data(), blob.size());
}

bool CFileVersionInfo::ReadFromData(const uint8_t* data, size_t size)
{
    Reset();
    Platform::CVersionResource record;
    if (!record.Parse(data, size))
        return false;

    record.QueryFixedFileInfo(m_fixedInfo);

    std::u16string tableKey;
    const std::vector<VersionTranslation> list = record.QueryTranslations();
    const uint16_t preferred = m_preferredLanguage != 0 ? m_preferredLanguage : Platform::GetUserDefaultLangId();
    const int chosen = ChooseTranslation(list, preferred);
    if (chosen >= 0) {
        m_translation = list[static_cast<size_t>(chosen)];
        tableKey = Platform::StringTableKey(m_translation);
    } else {
        // No translation list: the only sensible table is the first one.
        const std::vector<std::u16string> keys = record.StringTableKeys();
        if (!keys.empty())
            tableKey = keys.front();
    }

    if (!tableKey.empty()) {
        const struct {
            const char16_t* name;
            std::u16string* field;
        } strings[] = {
            {u"CompanyName", &m_companyName},         {u"FileDescription", &m_fileDescription},
            {u"FileVersion", &m_fileVersion},         {u"InternalName", &m_internalName},
            {u"LegalCopyright", &m_legalCopyright},   {u"OriginalFileName", &m_originalFileName},
            {u"ProductName", &m_productName},         {u"ProductVersion", &m_productVersion},
            {u"Comments", &m_comments},               {u"LegalTrademarks", &m_legalTrademarks},
            {u"PrivateBuild", &m_privateBuild},       {u"SpecialBuild", &m_specialBuild},
            {u"RequiredOSVersion", &m_requiredOSVersion},
        };
        for (const auto& s : strings)
            if (!record.QueryString(tableKey, s.name, *s.field))
                s.field->clear();
    }
    return true;
}

int CFileVersionInfo::ChooseTranslation(const std::vector<VersionTranslation>& list, uint16_t preferred)
{
    if (list.empty())
        return -1;
    auto find = [&](auto match) -> int {
        for (size_t i = 0; i < list.size(); ++i)
            if (match(list[i].language))
                return static_cast<int>(i);
        return -1;
    };
    const int steps[] = {
        find([&](uint16_t id) { return id == preferred; }),
        find([&](uint16_t id) { return (id & 0xFF) == (preferred & 0xFF); }),
        find([](uint16_t id) { return (id & 0xFF) == 0; }),
        find([](uint16_t id) { return id == 9 || (id & 0xFF) == 9; }),
    };
    for (int index : steps)
        if (index >= 0)
            return index;
    return 0;
}

uint16_t CFileVersionInfo::VersionPart(uint32_t mostSignificant, uint32_t leastSignificant, int index)
{
    switch (index) {
    case 0: return static_cast<uint16_t>(leastSignificant & 0xFFFF);
    case 1: return static_cast<uint16_t>(leastSignificant >> 16);
    case 2: return static_cast<uint16_t>(mostSignificant & 0xFFFF);
    case 3: return static_cast<uint16_t>(mostSignificant >> 16);
    default: return 0;
    }
}

uint16_t CFileVersionInfo::GetFileVersionPart(int index) const
{
    return VersionPart(m_fixedInfo.dwFileVersionMS, m_fixedInfo.dwFileVersionLS, index);
}

uint16_t CFileVersionInfo::GetProductVersionPart(int index) const
{
    return VersionPart(m_fixedInfo.dwProductVersionMS, m_fixedInfo.dwProductVersionLS, index);
}

CVersion CFileVersionInfo::GetFixedFileVersion() const
{
    return CVersion((static_cast<uint64_t>(m_fixedInfo.dwFileVersionMS) << 32) | m_fixedInfo.dwFileVersionLS);
}

CVersion CFileVersionInfo::GetFixedProductVersion() const
{
    return CVersion((static_cast<uint64_t>(m_fixedInfo.dwProductVersionMS) << 32) | m_fixedInfo.dwProductVersionLS);
}
