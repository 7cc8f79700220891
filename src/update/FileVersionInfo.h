// SPDX-License-Identifier: GPL-3.0-or-later
// CFileVersionInfo: the version record of a program or language library
// file: its fixed record and the thirteen standard strings of the string
// table that best matches the user's language.  The file is read as data;
// a file without a record reads as empty.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/VersionResource.h"
#include "platform/Version.h"

class CFileVersionInfo {
public:
    CFileVersionInfo() = default;
    virtual ~CFileVersionInfo() = default;

    // Clears every field: strings empty, fixed record zero.
    virtual void Reset();

    // Reads the running program's own file.
    bool Read();
    // Reads `path`; false (and every field cleared) when the file cannot be
    // read or carries no sound version record.
    bool Read(const std::u16string& path);
    // Reads a version record blob held in memory.
    bool ReadFromData(const uint8_t* data, size_t size);

    // The language id preferred when choosing among the string tables;
    // defaults to the user's language.  Takes effect on the next Read.
    void SetPreferredLanguage(uint16_t langId) { m_preferredLanguage = langId; }

    std::u16string GetCompanyName() const { return m_companyName; }
    std::u16string GetFileDescription() const { return m_fileDescription; }
    std::u16string GetFileVersion() const { return m_fileVersion; }
    std::u16string GetInternalName() const { return m_internalName; }
    std::u16string GetLegalCopyright() const { return m_legalCopyright; }
    std::u16string GetOriginalFileName() const { return m_originalFileName; }
    std::u16string GetProductName() const { return m_productName; }
    std::u16string GetProductVersion() const { return m_productVersion; }
    std::u16string GetComments() const { return m_comments; }
    std::u16string GetLegalTrademarks() const { return m_legalTrademarks; }
    std::u16string GetPrivateBuild() const { return m_privateBuild; }
    std::u16string GetSpecialBuild() const { return m_specialBuild; }
    std::u16string GetRequiredOSVersion() const { return m_requiredOSVersion; }

    const Platform::VS_FIXEDFILEINFO& GetFixedFileInfo() const { return m_fixedInfo; }

    // 0: low word of the least significant 32 bits, 1: its high word, 2: low
    // word of the most significant 32 bits, 3: its high word (the major
    // number); other indexes 0.
    uint16_t GetFileVersionPart(int index) const;
    uint16_t GetProductVersionPart(int index) const;

    // The fixed record's versions as CVersion (0 when there is no record).
    CVersion GetFixedFileVersion() const;
    CVersion GetFixedProductVersion() const;

    // The translation whose string table was read (zero when none).
    Platform::VersionTranslation GetTranslation() const { return m_translation; }

    // Picks the translation to use: the preferred language id, else the same
    // primary language (low byte), else a neutral one (low byte 0), else
    // English (id 9 or low byte 9), else the first.  -1 for an empty list.
    static int ChooseTranslation(const std::vector<Platform::VersionTranslation>& list, uint16_t preferred);

private:
    static uint16_t VersionPart(uint32_t mostSignificant, uint32_t leastSignificant, int index);

    uint16_t m_preferredLanguage = 0; // 0: the user's default language
    Platform::VS_FIXEDFILEINFO m_fixedInfo;
    Platform::VersionTranslation m_translation;
    std::u16string m_companyName;
    std::u16string m_fileDescription;
    std::u16string m_fileVersion;
    std::u16string m_internalName;
    std::u16string m_legalCopyright;
    std::u16string m_originalFileName;
    std::u16string m_productName;
    std::u16string m_productVersion;
    std::u16string m_comments;
    std::u16string m_legalTrademarks;
    std::u16string m_privateBuild;
    std::u16string m_specialBuild;
    std::u16string m_requiredOSVersion;
};
