// SPDX-License-Identifier: GPL-3.0-or-later
// The base behaviour of CIoStream and the library's module functions
// (start-up, shutdown, lookup and closing by id).  The factory OpenStream is
// in StreamFactory.cpp.
#include "streamio/IoStream.h"

#include <mutex>

#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "streamio/StreamHooks.h"
#include "streamio/StreamTable.h"

namespace StreamIO {

CIoStream::CIoStream()
{
    m_id = CStreamTable::Process().Register(this);
}

CIoStream::~CIoStream()
{
    if (m_id != 0)
        CStreamTable::Process().Unregister(this, m_id);
}

bool CIoStream::Reopen()
{
    if (m_name.empty())
        return false;
    // Open stores the name it is given; hand it a copy, not our own member.
    const std::u16string name = m_name;
    return Open(name, m_flags);
}

void CIoStream::Abort()
{
    try {
        Close();
    } catch (...) {
        // Abort is the quiet close: the failure stays in m_error only.
    }
}

void CIoStream::PurgeInput()
{
}

uint32_t CIoStream::GetInputCount()
{
    return 0;
}

void CIoStream::Flush()
{
}

uint32_t CIoStream::GetBytesPerSecond()
{
    return 0;
}

bool CIoStream::GetTimeouts(int& readMs, int& writeMs)
{
    return false;
}

bool CIoStream::SetTimeouts(int readMs, int writeMs)
{
    return false;
}

bool CIoStream::Cancel()
{
    return false;
}

bool CIoStream::HasError()
{
    return GetError() != 0;
}

bool CIoStream::IsEofOrTimeout()
{
    const uint32_t error = GetError();
    return error == Platform::ERROR_HANDLE_EOF || error == Platform::ERROR_TIMEOUT;
}

uint32_t CIoStream::GetError()
{
    return m_error;
}

uint8_t CIoStream::ReadByte()
{
    // 0 when nothing was read; the caller tells by GetError.
    uint8_t b = 0;
    Read(&b, 1);
    return b;
}

uint32_t CIoStream::WriteByte(uint8_t b)
{
    return Write(&b, 1);
}

bool CIoStream::IsSeekable()
{
    return false;
}

uint32_t CIoStream::GetLength()
{
    return 0;
}

uint32_t CIoStream::GetPosition()
{
    return 0;
}

uint32_t CIoStream::Seek(long offset, int origin)
{
    return 0;
}

uint32_t CIoStream::SetPosition(uint32_t pos)
{
    return 0;
}

void CIoStream::Truncate()
{
}

void CIoStream::ThrowError(uint32_t code)
{
    // A code of 0 means success and must never reach a caller as a failure.
    if (code == 0)
        code = Platform::ERROR_GEN_FAILURE;
    m_error = code;
    Platform::ThrowFileException(code, m_name);
}

namespace {

struct LibraryState {
    std::mutex lock;
    bool initialized = false;
};

LibraryState& State()
{
    // Never destroyed, like the stream table, so a late Shutdown is safe.
    static LibraryState* state = new LibraryState();
    return *state;
}

} // namespace

bool Initialize()
{
    LibraryState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.initialized)
        return true;
    // The stream table and its lock exist from the first stream on; they
    // need no creation here.
    if (!CreateRamDisk())
        return false;
    if (!InitializeSocketLock()) {
        FreeRamDisk();
        return false;
    }
    state.initialized = true;
    return true;
}

void Shutdown()
{
    LibraryState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    CStreamTable::Process().DrainLocked(
        [](CIoStream* stream) {
            // Abort swallows close failures; an override might not.
            try {
                stream->Abort();
            } catch (...) {
            }
        },
        [] {
            FreeRamDisk();
            CleanupSockets();
            SetVovCloseEvent();
        });
    state.initialized = false;
}

CIoStream* FindStream(uint32_t id)
{
    return CStreamTable::Process().Find(id);
}

uint32_t CloseStream(uint32_t id)
{
    CIoStream* stream = FindStream(id);
    if (stream == nullptr)
        return Platform::ERROR_INVALID_HANDLE;
    try {
        stream->Close();
    } catch (const Platform::CFileException& e) {
        return e.GetOsError();
    } catch (...) {
        return Platform::ERROR_INVALID_DATA;
    }
    return 0;
}

} // namespace StreamIO
