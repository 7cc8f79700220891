// SPDX-License-Identifier: GPL-3.0-or-later
// An in-memory stream that plays an instrument from a script: each Write
// releases the next scripted reply into the input.  Reads hand out what is
// there at once; with `waitWhenEmpty` a read that finds too little waits for
// its read timeout first, as a serial line does.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "platform/ErrorCodes.h"
#include "streamio/IoStream.h"

class CScriptStream : public StreamIO::CIoStream {
public:
    CScriptStream() { m_name = u"SCRIPT"; }

    bool Open(const std::u16string& name, uint32_t flags) override
    {
        if (open) {
            SetError(Platform::ERROR_NOT_SUPPORTED);
            return false;
        }
        m_name = name;
        m_flags = flags;
        open = true;
        return true;
    }
    void Close() override { open = false; ++closes; }
    bool Reopen() override
    {
        open = true;
        ++reopens;
        return true;
    }
    bool IsOpen() override { return open; }
    void PurgeInput() override
    {
        ++purges;
        if (purgeDiscards)
            input.clear();
    }
    bool SetTimeouts(int readMs, int writeMs) override
    {
        readTimeout = readMs;
        writeTimeout = writeMs;
        ++timeoutCalls;
        return true;
    }
    bool GetTimeouts(int& readMs, int& writeMs) override
    {
        readMs = readTimeout;
        writeMs = writeTimeout;
        return true;
    }
    uint32_t GetBytesPerSecond() override { return bytesPerSecond; }

    uint32_t Read(void* buffer, uint32_t count) override
    {
        m_error = 0;
        if (waitWhenEmpty && std::min(input.size(), maxChunk) < count && readTimeout > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(readTimeout));
        const size_t n = std::min<size_t>({count, input.size(), maxChunk});
        std::copy(input.begin(), input.begin() + static_cast<long>(n), static_cast<uint8_t*>(buffer));
        input.erase(input.begin(), input.begin() + static_cast<long>(n));
        if (n < count)
            SetError(n == 0 ? Platform::ERROR_HANDLE_EOF : Platform::ERROR_TIMEOUT);
        return static_cast<uint32_t>(n);
    }

    uint32_t Write(const void* buffer, uint32_t count) override
    {
        m_error = 0;
        if (throwOnWrite)
            ThrowError(throwError);
        const uint8_t* p = static_cast<const uint8_t*>(buffer);
        writes.emplace_back(p, p + count);
        output.insert(output.end(), p, p + count);
        if (!replies.empty()) {
            const std::vector<uint8_t> reply = replies.front();
            replies.pop_front();
            input.insert(input.end(), reply.begin(), reply.end());
        }
        return count;
    }

    // Script helpers.
    void Reply(const std::vector<uint8_t>& bytes) { replies.push_back(bytes); }
    void Reply(const std::string& text) { replies.emplace_back(text.begin(), text.end()); }
    void ReplyNothing() { replies.emplace_back(); }

    bool open = true;
    bool purgeDiscards = true;
    bool waitWhenEmpty = false;
    bool throwOnWrite = false;
    uint32_t throwError = Platform::ERROR_GEN_FAILURE;   // the error a throwing write throws
    size_t maxChunk = SIZE_MAX;
    uint32_t bytesPerSecond = 0;
    int readTimeout = 0;
    int writeTimeout = 0;
    int timeoutCalls = 0;
    int purges = 0;
    int closes = 0;
    int reopens = 0;
    std::deque<uint8_t> input;
    std::deque<std::vector<uint8_t>> replies;
    std::vector<std::vector<uint8_t>> writes;
    std::vector<uint8_t> output;
};
