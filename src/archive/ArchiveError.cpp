// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/ArchiveError.h"

#include "archive/ArchiveStrings.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

namespace Archive {

CArchiveError::CArchiveError(const std::u16string& text) : std::runtime_error(Platform::ToUtf8(text)), m_text(text) {}

void ThrowArchiveError(const std::u16string& archive, const std::u16string& text)
{
    throw CArchiveError(Platform::FormatU(Platform::LoadString(kArchiveFailed).c_str(),
                                          Platform::ToUtf8(archive).c_str(), Platform::ToUtf8(text).c_str()));
}

void ThrowSqlFailure(const std::u16string& archive, uint32_t what, const CSqlError& error)
{
    std::u16string cause;
    switch (error.Kind()) {
    case CSqlError::EKind::NotADatabase:
        cause = Platform::LoadString(kNotAnArchive);
        break;
    case CSqlError::EKind::Full:
        cause = Platform::LoadString(kDiskFull);
        break;
    case CSqlError::EKind::Busy:
        cause = Platform::FormatU(Platform::LoadString(kBusy).c_str(), error.what());
        break;
    case CSqlError::EKind::Corrupt:
        cause = Platform::FormatU(Platform::LoadString(kDamaged).c_str(), error.what());
        break;
    default:
        cause = Platform::FromUtf8(error.what());
        break;
    }
    ThrowArchiveError(archive, Platform::FormatU(Platform::LoadString(what).c_str(), Platform::ToUtf8(cause).c_str()));
}

} // namespace Archive
