// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/trace/TraceStream.h"

#include "platform/FileException.h"
#include "streamio/trace/WireTrace.h"

namespace StreamIO {

CTraceStream::CTraceStream(std::unique_ptr<CIoStream> inner) : m_inner(std::move(inner))
{
    TakeIdentity();
}

CTraceStream::~CTraceStream() = default;   // the inner stream closes itself quietly

void CTraceStream::TakeIdentity()
{
    m_name = m_inner->GetName();
    m_flags = m_inner->GetFlags();
}

bool CTraceStream::Reopen()
{
    const bool ok = m_inner->Reopen();
    TakeIdentity();
    return ok;
}

bool CTraceStream::Open(const std::u16string& name, uint32_t flags)
{
    const bool ok = m_inner->Open(name, flags);
    TakeIdentity();
    return ok;
}

void CTraceStream::Abort()
{
    m_inner->Abort();
}

void CTraceStream::Close()
{
    m_inner->Close();
}

void CTraceStream::PurgeInput()
{
    m_inner->PurgeInput();
}

uint32_t CTraceStream::GetInputCount()
{
    return m_inner->GetInputCount();
}

void CTraceStream::Flush()
{
    m_inner->Flush();
}

uint32_t CTraceStream::GetBytesPerSecond()
{
    return m_inner->GetBytesPerSecond();
}

bool CTraceStream::GetTimeouts(int& readMs, int& writeMs)
{
    return m_inner->GetTimeouts(readMs, writeMs);
}

bool CTraceStream::SetTimeouts(int readMs, int writeMs)
{
    return m_inner->SetTimeouts(readMs, writeMs);
}

bool CTraceStream::Cancel()
{
    return m_inner->Cancel();
}

bool CTraceStream::IsOpen()
{
    return m_inner->IsOpen();
}

bool CTraceStream::HasError()
{
    return m_inner->HasError();
}

bool CTraceStream::IsEofOrTimeout()
{
    return m_inner->IsEofOrTimeout();
}

uint32_t CTraceStream::GetError()
{
    return m_inner->GetError();
}

uint32_t CTraceStream::Read(void* buffer, uint32_t count)
{
    uint32_t n = 0;
    try {
        n = m_inner->Read(buffer, count);
    } catch (const Platform::CFileException& e) {
        TraceTransfer(m_name, false, nullptr, 0, e.GetOsError());
        throw;
    }
    TraceTransfer(m_name, false, buffer, n, m_inner->GetError());
    return n;
}

uint32_t CTraceStream::Write(const void* buffer, uint32_t count)
{
    uint32_t n = 0;
    try {
        n = m_inner->Write(buffer, count);
    } catch (const Platform::CFileException& e) {
        TraceTransfer(m_name, true, nullptr, 0, e.GetOsError());
        throw;
    }
    TraceTransfer(m_name, true, buffer, n, m_inner->GetError());
    return n;
}

bool CTraceStream::IsSeekable()
{
    return m_inner->IsSeekable();
}

uint32_t CTraceStream::GetLength()
{
    return m_inner->GetLength();
}

uint32_t CTraceStream::GetPosition()
{
    return m_inner->GetPosition();
}

uint32_t CTraceStream::Seek(long offset, int origin)
{
    return m_inner->Seek(offset, origin);
}

uint32_t CTraceStream::SetPosition(uint32_t pos)
{
    return m_inner->SetPosition(pos);
}

void CTraceStream::Truncate()
{
    m_inner->Truncate();
}

} // namespace StreamIO
