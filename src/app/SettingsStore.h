// The program's settings under "Software\Vantor\Brelmora\Settings" in the
// registry store: read once at start-up (missing or unreadable values are
// repaired with their defaults), written back at once when the Application
// Settings dialog changes them.
//
//   "LanguageFile" REG_SZ   language library, or the program file itself
//   "DataFolder"   REG_SZ   kept, not used
//   "GridCheck"    DWORD    kept, not used
//   "DTFormat"     DWORD    date picture index in bits 8..15, time in 0..7
//   "Pfad"         REG_SZ   folder of the upgrade files (no trailing separator)
#pragma once

#include <cstdint>
#include <string>

struct SSettings {
    std::u16string languageFile;
    std::u16string dataFolder;
    uint32_t gridCheck = 0;
    uint32_t dtFormat = 0;
    std::u16string pfad;
};

class CSettingsStore {
public:
    // Registry texts longer than this (a 260-character buffer
    // less its terminating NUL) are not taken.
    static constexpr size_t kMaxText = 259;

    // Reads every value; a missing value (or one of the wrong type or too
    // long) gets its default, which is written at once.  When the key cannot
    // be created, every value keeps its built-in default (empty, 0) and
    // nothing is written.  Then checks the "Pfad" folder (messages 1004 and
    // 1005).  `programPath` is the program file (empty when unknown).
    void Read(const std::u16string& programPath);

    // Stores a new value at once; a failed write reports message 1000 and the
    // value still changes in memory.  False when the write failed.
    bool SetLanguageFile(const std::u16string& path);
    bool SetDateTimeFormat(uint32_t value);

    const SSettings& Values() const { return m_values; }

    // The folder part of a path: up to, not including, its last separator;
    // empty when it has none.
    static std::u16string FolderOf(const std::u16string& path);
    // The file name part of a path.
    static std::u16string FileNameOf(const std::u16string& path);
    // True for a drive root such as "D:\" (three characters ending in ":\").
    static bool IsDriveRoot(const std::u16string& path);

    // Checks the upgrade folder; reports 1004 when it is missing (and not a
    // drive root) or not a folder, 1005 when it cannot be written.
    static void CheckUpgradeFolder(const std::u16string& pfad);

private:
    SSettings m_values;
};
