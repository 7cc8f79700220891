// SPDX-License-Identifier: GPL-3.0-or-later
// CTraceStream: a stream that passes every operation to the stream it owns
// and writes a line of the wire trace for each Read and Write.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "streamio/IoStream.h"

namespace StreamIO {

class CTraceStream : public CIoStream {
public:
    // Takes `inner` (open or not) and its name.
    explicit CTraceStream(std::unique_ptr<CIoStream> inner);
    ~CTraceStream() override;

    bool Reopen() override;
    void Abort() override;
    void Close() override;
    void PurgeInput() override;
    uint32_t GetInputCount() override;
    void Flush() override;
    uint32_t GetBytesPerSecond() override;
    bool GetTimeouts(int& readMs, int& writeMs) override;
    bool SetTimeouts(int readMs, int writeMs) override;
    bool Cancel() override;
    bool IsOpen() override;
    bool HasError() override;
    bool IsEofOrTimeout() override;
    uint32_t GetError() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t count) override;
    bool IsSeekable() override;
    uint32_t GetLength() override;
    uint32_t GetPosition() override;
    uint32_t Seek(long offset, int origin) override;
    uint32_t SetPosition(uint32_t pos) override;
    void Truncate() override;
    bool Open(const std::u16string& name, uint32_t flags) override;

    // The traced stream.
    CIoStream* Inner() const { return m_inner.get(); }

private:
    // Takes the inner stream's name and flags after it (re)opened.
    void TakeIdentity();

    std::unique_ptr<CIoStream> m_inner;
};

} // namespace StreamIO
