// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/usb/UsbHostStream.h"

#include <chrono>

#include "platform/ErrorCodes.h"
#include "streamio/StreamHooks.h"

namespace StreamIO {

namespace {

using Clock = std::chrono::steady_clock;

int64_t ElapsedMs(Clock::time_point since)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

// Outcomes of a transfer that are no failure: cancelled or still pending.
bool IsQuietEnd(uint32_t error)
{
    return error == Platform::ERROR_OPERATION_ABORTED || error == Platform::ERROR_IO_PENDING;
}

} // namespace

CUsbHostStream::CUsbHostStream(UsbBulkOpener opener)
    : m_opener(opener ? std::move(opener) : UsbBulkOpener(&OpenLibusbBulkDevice))
{
}

CUsbHostStream::~CUsbHostStream()
{
    if (m_device)
        m_device->Close();
}

bool CUsbHostStream::Open(const std::u16string& path, uint32_t flags)
{
    if (IsOpen()) {
        SetError(Platform::ERROR_NOT_SUPPORTED);
        return false;
    }
    const std::u16string name = path;
    m_name = name;
    m_flags = flags;
    m_error = 0;
    std::unique_ptr<IUsbBulkDevice> device;
    const uint32_t error = m_opener(name, flags, device);
    if (error != 0 || !device) {
        if (device)
            device->Close();
        ThrowError(error != 0 ? error : Platform::ERROR_OPEN_FAILED);
    }
    m_device = std::move(device);
    return true;
}

void CUsbHostStream::Close()
{
    m_error = 0;
    if (!m_device)
        ThrowError(Platform::ERROR_INVALID_HANDLE);
    m_device->Cancel();
    if ((m_flags & SF_WRITE) != 0 && m_device->HasWritePipe())
        m_device->Flush();
    const uint32_t error = m_device->Close();
    m_device.reset();
    if (error != 0)
        ThrowError(error);
}

bool CUsbHostStream::IsOpen()
{
    return m_device != nullptr;
}

void CUsbHostStream::Flush()
{
    m_error = 0;
    if ((m_flags & SF_WRITE) == 0 || !m_device || !m_device->HasWritePipe())
        return;
    const uint32_t error = m_device->Flush();
    if (error != 0)
        ThrowError(error);
}

bool CUsbHostStream::Cancel()
{
    m_error = 0;
    if (!m_device)
        ThrowError(Platform::ERROR_INVALID_HANDLE);
    const uint32_t error = m_device->Cancel();
    if (error != 0 && error != Platform::ERROR_NOT_SUPPORTED)
        ThrowError(error);
    SetError(error);
    return error == 0;
}

bool CUsbHostStream::GetTimeouts(int& readMs, int& writeMs)
{
    readMs = m_readTimeout;
    writeMs = m_writeTimeout;
    return true;
}

bool CUsbHostStream::SetTimeouts(int readMs, int writeMs)
{
    m_readTimeout = readMs;
    m_writeTimeout = writeMs;
    return true;
}

uint32_t CUsbHostStream::Read(void* buffer, uint32_t count)
{
    m_error = 0;
    if ((m_flags & SF_READ) == 0 || !m_device || !m_device->HasReadPipe())
        ThrowError(Platform::ERROR_READ_FAULT);
    uint8_t* out = static_cast<uint8_t*>(buffer);
    const Clock::time_point started = Clock::now();
    uint32_t got = 0;
    do {
        uint32_t moved = 0;
        const uint32_t error = m_device->Transfer(false, out + got, count - got, m_readTimeout, moved);
        if (error != 0 && error != Platform::ERROR_TIMEOUT && !IsQuietEnd(error))
            ThrowError(error);
        got += moved;
        if (moved == 0 && count != 0) {
            SetError(Platform::ERROR_HANDLE_EOF);
            break;
        }
        if (got < count && m_readTimeout != TIMEOUT_INFINITE && ElapsedMs(started) > m_readTimeout) {
            SetError(Platform::ERROR_TIMEOUT);
            break;
        }
    } while (m_error == 0 && got < count);
    return got;
}

uint32_t CUsbHostStream::Write(const void* buffer, uint32_t count)
{
    m_error = 0;
    if ((m_flags & SF_WRITE) == 0 || !m_device || !m_device->HasWritePipe())
        ThrowError(Platform::ERROR_WRITE_FAULT);
    uint32_t moved = 0;
    const uint32_t error =
        m_device->Transfer(true, const_cast<void*>(buffer), count, m_writeTimeout, moved);
    if (error == Platform::ERROR_TIMEOUT) {
        SetError(Platform::ERROR_TIMEOUT);
        return moved;
    }
    if (error != 0 && error != Platform::ERROR_HANDLE_EOF && !IsQuietEnd(error))
        ThrowError(error);
    if (moved == 0 && count != 0)
        SetError(Platform::ERROR_TIMEOUT);
    return moved;
}

// The factory's USB names are device paths of the bulk driver.
std::unique_ptr<CIoStream> CreateUsbStream(const std::u16string& path, uint32_t flags)
{
    auto stream = std::make_unique<CUsbHostStream>();
    stream->Open(path, flags);
    return stream;
}

} // namespace StreamIO
