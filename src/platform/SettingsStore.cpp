// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SettingsStore.h"

#include <unistd.h>

#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/RegistryFile.h"
#include "platform/SafetySettingsStrings.h"
#include "platform/SettingsStrings.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

using Platform::LoadString;

namespace AppStrings = SettingsStrings;

namespace {

// Reads a text value; false when it is missing, of another type or too long.
bool QueryText(const Platform::CRegKey& key, uint32_t nameId, std::u16string& value)
{
    std::u16string text;
    if (key.QueryString(LoadString(nameId), text) != Platform::ERROR_SUCCESS || text.size() > CSettingsStore::kMaxText)
        return false;
    value = text;
    return true;
}

} // namespace

std::u16string CSettingsStore::FolderOf(const std::u16string& path)
{
    const size_t sep = path.find_last_of(u"/\\");
    return sep == std::u16string::npos ? std::u16string() : path.substr(0, sep);
}

std::u16string CSettingsStore::FileNameOf(const std::u16string& path)
{
    const size_t sep = path.find_last_of(u"/\\");
    return sep == std::u16string::npos ? path : path.substr(sep + 1);
}

bool CSettingsStore::IsDriveRoot(const std::u16string& path)
{
    return path.size() == 3 && path[1] == u':' && path[2] == u'\\';
}

uint32_t CSettingsStore::UpgradeFolderProblem(const std::u16string& pfad)
{
    const std::string folder = Platform::ToUtf8(pfad);
    const Platform::SFileStatus st = folder.empty() ? Platform::SFileStatus() : Platform::StatPath(folder);
    if (!st.Exists())
        return IsDriveRoot(pfad) ? 0 : AppStrings::kBadUpgradeFolder;
    // A file where the folder should be cannot hold the upgrade files either.
    if (st.type != Platform::EFileType::Folder)
        return AppStrings::kBadUpgradeFolder;
    // Read-only is the counterpart of the folder's read-only attribute: a
    // mode without any write bit, for every user including the superuser.
    // A folder that is only not writable for this user (a system folder
    // such as the installed program's) is not read-only: the warning would
    // come at every start of an installed program.
    if (!st.HasWriteBit())
        return AppStrings::kUpgradeFolderReadOnly;
    return 0;
}

void CSettingsStore::CheckUpgradeFolder(const std::u16string& pfad, ISettingsReport* report)
{
    const uint32_t problem = UpgradeFolderProblem(pfad);
    if (problem != 0 && report != nullptr)
        report->OnUpgradeFolderProblem(problem);
}

std::u16string CSettingsStore::SettingsFileProblem()
{
    std::string path;
    const uint32_t rc = Platform::CheckRegistryFile(path);
    if (rc == Platform::ERROR_SUCCESS)
        return {};
    return Platform::FormatU(LoadString(AppStrings::kSettingsFileUnusable).c_str(), path.c_str(),
                             Platform::DescribeError(rc));
}

void CSettingsStore::ReportWriteFailure(uint32_t error)
{
    if (m_report == nullptr)
        return;
    if (error == Platform::ERROR_LOCK_VIOLATION || error == Platform::ERROR_FILE_TOO_LARGE) {
        if (m_fileReported)
            return;
        m_fileReported = true;
        m_report->OnSettingsFileUnusable(Platform::FormatU(LoadString(SafetySettingsStrings::kSettingsNotStored).c_str(),
                                                           Platform::RegistryFilePath().c_str(),
                                                           Platform::DescribeError(error)));
        return;
    }
    m_report->OnWriteFailed();
}

SSettings CSettingsStore::Peek(const std::u16string& programPath)
{
    SSettings values;
    std::u16string defaultPfad = FolderOf(programPath);
    if (programPath.empty() || defaultPfad.empty())
        defaultPfad = LoadString(AppStrings::kDefaultPfad);
    values.languageFile = programPath;
    values.pfad = defaultPfad;
    Platform::CRegKey key;
    if (key.Open(LoadString(AppStrings::kSettingsKey), Platform::CRegKey::Read) != Platform::ERROR_SUCCESS)
        return values;
    QueryText(key, AppStrings::kValueLanguageFile, values.languageFile);
    QueryText(key, AppStrings::kValueDataFolder, values.dataFolder);
    QueryText(key, AppStrings::kValuePfad, values.pfad);
    if (key.QueryDword(LoadString(AppStrings::kValueGridCheck), values.gridCheck) != Platform::ERROR_SUCCESS)
        values.gridCheck = 0;
    if (key.QueryDword(LoadString(AppStrings::kValueDtFormat), values.dtFormat) != Platform::ERROR_SUCCESS)
        values.dtFormat = 0;
    return values;
}

void CSettingsStore::Read(const std::u16string& programPath)
{
    m_values = SSettings();
    if (const std::u16string problem = SettingsFileProblem(); !problem.empty() && m_report != nullptr) {
        m_report->OnSettingsFileUnusable(problem);
        m_fileReported = true;
    }
    Platform::CRegKey key;
    if (const uint32_t rc = key.Create(LoadString(AppStrings::kSettingsKey)); rc != Platform::ERROR_SUCCESS) {
        // A damaged file was said above; a locked one is said here.
        if (!m_fileReported)
            ReportWriteFailure(rc);
        return;
    }

    // One message for the whole read, however many defaults failed to be written.
    bool writeFailed = false;
    uint32_t writeError = Platform::ERROR_SUCCESS;
    auto textValue = [&](uint32_t nameId, std::u16string& target, const std::u16string& fallback) {
        if (QueryText(key, nameId, target))
            return;
        target = fallback;
        if (const uint32_t rc = key.SetString(LoadString(nameId), fallback); rc != Platform::ERROR_SUCCESS) {
            writeFailed = true;
            writeError = rc;
        }
    };
    auto numberValue = [&](uint32_t nameId, uint32_t& target) {
        if (key.QueryDword(LoadString(nameId), target) == Platform::ERROR_SUCCESS)
            return;
        target = 0;
        if (const uint32_t rc = key.SetDword(LoadString(nameId), 0); rc != Platform::ERROR_SUCCESS) {
            writeFailed = true;
            writeError = rc;
        }
    };

    std::u16string defaultPfad = FolderOf(programPath);
    if (programPath.empty() || defaultPfad.empty())
        defaultPfad = LoadString(AppStrings::kDefaultPfad);

    textValue(AppStrings::kValueLanguageFile, m_values.languageFile, programPath);
    textValue(AppStrings::kValueDataFolder, m_values.dataFolder, std::u16string());
    numberValue(AppStrings::kValueGridCheck, m_values.gridCheck);
    numberValue(AppStrings::kValueDtFormat, m_values.dtFormat);
    textValue(AppStrings::kValuePfad, m_values.pfad, defaultPfad);
    key.Close();

    if (writeFailed)
        ReportWriteFailure(writeError);
    CheckUpgradeFolder(m_values.pfad, m_report);
}

bool CSettingsStore::SetLanguageFile(const std::u16string& path)
{
    m_values.languageFile = path;
    Platform::CRegKey key;
    uint32_t rc = key.Create(LoadString(AppStrings::kSettingsKey));
    if (rc == Platform::ERROR_SUCCESS)
        rc = key.SetString(LoadString(AppStrings::kValueLanguageFile), path);
    if (rc != Platform::ERROR_SUCCESS) {
        ReportWriteFailure(rc);
        return false;
    }
    return true;
}

bool CSettingsStore::SetDateTimeFormat(uint32_t value)
{
    m_values.dtFormat = value;
    Platform::CRegKey key;
    uint32_t rc = key.Create(LoadString(AppStrings::kSettingsKey));
    if (rc == Platform::ERROR_SUCCESS)
        rc = key.SetDword(LoadString(AppStrings::kValueDtFormat), value);
    if (rc != Platform::ERROR_SUCCESS) {
        ReportWriteFailure(rc);
        return false;
    }
    return true;
}
