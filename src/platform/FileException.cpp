// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileException.h"

#include "platform/ErrorCodes.h"
#include "platform/Text.h"

namespace Platform {

CFileException::CFileException(uint32_t osError, std::u16string fileName)
    : m_osError(osError), m_fileName(std::move(fileName)), m_cause(OsErrorToCause(osError))
{
    m_what = ToUtf8(m_fileName) + ": " + DescribeError(osError) + " (error " + std::to_string(osError) + ")";
}

CFileException::Cause CFileException::OsErrorToCause(uint32_t osError)
{
    switch (osError) {
    case ERROR_SUCCESS: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case 16 /* ERROR_CURRENT_DIRECTORY */: return removeCurrentDir;
    case 18 /* ERROR_NO_MORE_FILES */: return directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK:
    case ERROR_SEEK_ON_DEVICE: return badSeek;
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY: return hardIO;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
    }
}

void ThrowFileException(uint32_t osError, const std::u16string& fileName)
{
    throw CFileException(osError, fileName);
}

} // namespace Platform
