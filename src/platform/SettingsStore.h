// SPDX-License-Identifier: GPL-3.0-or-later
// The program's settings under "Software\Vantor\Brelmora\Settings" in the
// registry store: read once at start-up of the desktop program (missing or
// unreadable values are repaired with their defaults), written back at once
// when the Application Settings dialog changes them.  The command line reads
// them through the same rules without writing anything (Peek).
//
//   "LanguageFile" REG_SZ   language library, or the program file itself
//   "DataFolder"   REG_SZ   kept, not used
//   "GridCheck"    DWORD    kept, not used
//   "DTFormat"     DWORD    date picture index in bits 8..15, time in 0..7
//   "Pfad"         REG_SZ   folder of the upgrade files (no trailing separator)
#pragma once

#include <cstdint>
#include <string>

// Where the store reports what went wrong; the desktop program shows message
// boxes, the command line warnings.  Without one, nothing is reported.
class ISettingsReport {
public:
    virtual ~ISettingsReport() = default;
    // A value could not be written (message 1000).
    virtual void OnWriteFailed() = 0;
    // The upgrade folder is unusable: message 1004 (missing, not a folder)
    // or 1005 (cannot be written).
    virtual void OnUpgradeFolderProblem(uint32_t messageId) = 0;
    // The settings file cannot be used (damaged, unreadable): `text` is the
    // whole message, naming the file (SettingsFileProblem).
    virtual void OnSettingsFileUnusable(const std::u16string& text) = 0;
};

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
    // long) gets its default, which is written at once.  A settings file
    // that cannot be used is reported first, once.  When the key cannot
    // be created, every value keeps its built-in default (empty, 0) and
    // nothing is written.  Then checks the "Pfad" folder (messages 1004 and
    // 1005).  `programPath` is the program file (empty when unknown).
    void Read(const std::u16string& programPath);

    // The values as Read would take them, without repairing or writing
    // anything and without the folder check: missing or unusable values have
    // their defaults.
    static SSettings Peek(const std::u16string& programPath);
    // "DTFormat" as Peek reads it: the pictures every shown date uses.
    static uint32_t PeekDateTimeFormat() { return Peek(std::u16string()).dtFormat; }

    // Where problems are reported (not owned; null: nowhere).
    void SetReport(ISettingsReport* report) { m_report = report; }

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
    static void CheckUpgradeFolder(const std::u16string& pfad, ISettingsReport* report);
    // The message id the folder check gives `pfad` (1004, 1005), 0 when the
    // folder is fine.
    static uint32_t UpgradeFolderProblem(const std::u16string& pfad);
    // The message for a settings file that cannot be used, naming it; empty
    // when the file is fine or absent.
    static std::u16string SettingsFileProblem();

private:
    // A write that failed with `error`: a settings file that is locked by
    // another program or would pass its size limit is said once, naming the
    // file (OnSettingsFileUnusable); anything else is message 1000.
    void ReportWriteFailure(uint32_t error);

    SSettings m_values;
    ISettingsReport* m_report = nullptr;
    bool m_fileReported = false;   // the settings file's problem was said
};
