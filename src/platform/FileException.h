// SPDX-License-Identifier: GPL-3.0-or-later
// The file exception: a hard failure of a stream, carrying the Win32 (or
// Winsock) error number and the name of the stream that failed.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace Platform {

class CFileException : public std::exception {
public:
    // Causes derived from the OS error number, in the usual way of file
    // exceptions of the Windows application framework.
    enum Cause {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
    };

    CFileException(uint32_t osError, std::u16string fileName);

    uint32_t GetOsError() const { return m_osError; }
    const std::u16string& GetFileName() const { return m_fileName; }
    Cause GetCause() const { return m_cause; }

    // "<file name>: <description of the error>" in UTF-8.
    const char* what() const noexcept override { return m_what.c_str(); }

    static Cause OsErrorToCause(uint32_t osError);

private:
    uint32_t m_osError;
    std::u16string m_fileName;
    Cause m_cause;
    std::string m_what;
};

// Throws a CFileException with the given error number and file name.
[[noreturn]] void ThrowFileException(uint32_t osError, const std::u16string& fileName);

} // namespace Platform
