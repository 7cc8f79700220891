// SPDX-License-Identifier: GPL-3.0-or-later
// An in-memory stream for the tests of the table, the base slots and the
// archive: reads come from `input`, writes go to `output`; Close can be made
// to fail.  Not seekable.
#pragma once

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ErrorCodes.h"
#include "streamio/IoStream.h"

class CTestStream : public StreamIO::CIoStream {
public:
    enum class CloseFailure { None, FileError, Other };

    ~CTestStream() override
    {
        m_open = false;
    }

    bool Open(const std::u16string& name, uint32_t flags) override
    {
        ++opens;
        if (m_open) {
            SetError(Platform::ERROR_NOT_SUPPORTED);
            return false;
        }
        m_name = name;
        m_flags = flags;
        m_error = 0;
        m_open = true;
        return true;
    }

    void Close() override
    {
        ++closes;
        m_open = false;
        if (closeFailure == CloseFailure::FileError)
            ThrowError(Platform::ERROR_ACCESS_DENIED);
        if (closeFailure == CloseFailure::Other)
            throw std::runtime_error("close failed");
    }

    bool IsOpen() override { return m_open; }

    uint32_t Read(void* buffer, uint32_t count) override
    {
        m_error = 0;
        const size_t n = std::min<size_t>({count, maxChunk, input.size() - readPos});
        if (n != 0)
            std::memcpy(buffer, input.data() + readPos, n);
        readPos += n;
        if (n == 0 && count != 0)
            SetError(Platform::ERROR_HANDLE_EOF);
        return static_cast<uint32_t>(n);
    }

    uint32_t Write(const void* buffer, uint32_t count) override
    {
        m_error = 0;
        if (refuseWrites) {
            SetError(Platform::ERROR_TIMEOUT);
            return 0;
        }
        const uint8_t* p = static_cast<const uint8_t*>(buffer);
        output.insert(output.end(), p, p + count);
        return count;
    }

    using CIoStream::SetError;

    std::vector<uint8_t> input;
    size_t readPos = 0;
    size_t maxChunk = SIZE_MAX;   // bytes handed out per Read at most
    std::vector<uint8_t> output;
    bool refuseWrites = false;
    CloseFailure closeFailure = CloseFailure::None;
    int opens = 0;
    int closes = 0;

private:
    bool m_open = false;
};
