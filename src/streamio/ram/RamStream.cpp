// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/ram/RamStream.h"

#include <new>

#include "platform/ErrorCodes.h"
#include "platform/Text.h"
#include "streamio/ram/RamDisk.h"
#include "streamio/ram/RamFile.h"
#include "streamio/StreamHooks.h"

namespace StreamIO {

namespace {

constexpr char16_t kRamPrefix[] = u"RAM:";

} // namespace

CRamStream::CRamStream() = default;

CRamStream::CRamStream(const std::u16string& name, uint32_t flags)
{
    Open(name, flags);
}

CRamStream::~CRamStream()
{
    try {
        Close();
    } catch (...) {
    }
}

bool CRamStream::IsOpen()
{
    return m_file && !m_file->IsDetached();
}

void CRamStream::RequireOpen()
{
    if (!m_file)
        ThrowError(Platform::ERROR_INVALID_HANDLE);
    if (m_file->IsDetached())
        ThrowDetached();
}

void CRamStream::ThrowDetached()
{
    // The disk was freed under this stream: let go of the file so that the
    // stream is plainly closed from now on.
    Close();
    ThrowError(Platform::ERROR_INVALID_HANDLE);
}

bool CRamStream::Open(const std::u16string& name, uint32_t flags)
{
    if (IsOpen()) {
        SetError(Platform::ERROR_NOT_SUPPORTED);
        return false;
    }
    // A file whose disk is gone is only let go of.
    Close();
    m_name = Platform::StartsWithNoCase(name, kRamPrefix) ? name : kRamPrefix + name;
    m_flags = flags;
    m_error = 0;
    std::shared_ptr<CRamDisk> disk = GetRamDisk();
    if (!disk)
        ThrowError(Platform::ERROR_NOT_READY);
    std::shared_ptr<CRamFile> file;
    const uint32_t code = disk->OpenFile(m_name, flags, file);
    if (code != 0)
        ThrowError(code);
    m_disk = std::move(disk);
    m_file = std::move(file);
    m_position = 0;
    return true;
}

void CRamStream::Close()
{
    if (!m_file)
        return;
    m_disk->ReleaseFile(m_file, m_flags);
    m_file.reset();
    m_disk.reset();
    m_position = 0;
    m_error = 0;
}

bool CRamStream::BeginTransfer(const void* buffer, uint32_t count, uint32_t access, uint32_t accessError)
{
    m_error = 0;
    RequireOpen();
    if ((m_flags & access) == 0)
        ThrowError(accessError);
    if (count == 0)
        return false;
    if (buffer == nullptr) {
        SetError(Platform::ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

uint32_t CRamStream::Read(void* buffer, uint32_t count)
{
    if (!BeginTransfer(buffer, count, SF_READ, Platform::ERROR_READ_FAULT))
        return 0;
    bool detached = false;
    uint32_t n = 0;
    if (m_file->IsFifo()) {
        n = m_file->Pop(buffer, count, detached);
    } else {
        n = m_file->ReadAt(m_position, buffer, count, detached);
        m_position += n;
    }
    if (detached)
        ThrowDetached();
    if (n == 0)
        SetError(Platform::ERROR_HANDLE_EOF);
    return n;
}

uint32_t CRamStream::Write(const void* buffer, uint32_t count)
{
    if (!BeginTransfer(buffer, count, SF_WRITE, Platform::ERROR_WRITE_FAULT))
        return 0;
    bool detached = false;
    bool written = false;
    try {
        if (m_file->IsFifo())
            written = m_file->Push(buffer, count, detached);
        else
            written = m_file->WriteAt(m_position, buffer, count, detached);
    } catch (const std::bad_alloc&) {
        ThrowError(Platform::ERROR_OUTOFMEMORY);
    }
    if (detached)
        ThrowDetached();
    // Refused only when the file would pass 4 GiB.
    if (!written)
        ThrowError(Platform::ERROR_OUTOFMEMORY);
    if (!m_file->IsFifo())
        m_position += count;
    return count;
}

void CRamStream::PurgeInput()
{
    m_error = 0;
    RequireOpen();
    if (!m_file->IsFifo())
        return;
    bool detached = false;
    m_file->SetLength(0, detached);
    if (detached)
        ThrowDetached();
}

bool CRamStream::IsSeekable()
{
    if (m_file)
        return !m_file->IsFifo();
    return (m_flags & SF_FIFO) == 0;
}

uint32_t CRamStream::GetLength()
{
    m_error = 0;
    RequireOpen();
    return m_file->GetLength();
}

uint32_t CRamStream::GetPosition()
{
    m_error = 0;
    RequireOpen();
    return m_position;
}

uint32_t CRamStream::Seek(long offset, int origin)
{
    m_error = 0;
    RequireOpen();
    if (m_file->IsFifo())
        ThrowError(Platform::ERROR_SEEK_ON_DEVICE);
    const int64_t length = m_file->GetLength();
    int64_t target = 0;
    switch (origin) {
    case ORIGIN_CURRENT:
        target = static_cast<int64_t>(offset) + m_position;
        break;
    case ORIGIN_BEGIN:
        target = offset;
        break;
    case ORIGIN_END:
        target = static_cast<int64_t>(offset) + length;
        break;
    default:
        ThrowError(Platform::ERROR_SEEK_ON_DEVICE);
    }
    if (target < 0)
        ThrowError(Platform::ERROR_NEGATIVE_SEEK);
    if (target > length)
        ThrowError(Platform::ERROR_SEEK_ON_DEVICE);
    m_position = static_cast<uint32_t>(target);
    return m_position;
}

uint32_t CRamStream::SetPosition(uint32_t pos)
{
    m_error = 0;
    RequireOpen();
    m_position = pos;
    return m_position;
}

void CRamStream::Truncate()
{
    m_error = 0;
    RequireOpen();
    if ((m_flags & SF_WRITE) == 0)
        ThrowError(Platform::ERROR_WRITE_FAULT);
    bool detached = false;
    try {
        // A FIFO has no position of its own: only a length of 0 empties it.
        m_file->SetLength(m_position, detached);
    } catch (const std::bad_alloc&) {
        ThrowError(Platform::ERROR_OUTOFMEMORY);
    }
    if (detached)
        ThrowDetached();
}

bool CRamStream::Reserve(uint32_t bytes)
{
    m_error = 0;
    RequireOpen();
    bool detached = false;
    try {
        m_file->Reserve(bytes, detached);
    } catch (const std::bad_alloc&) {
        SetError(Platform::ERROR_OUTOFMEMORY);
        return false;
    }
    if (detached)
        ThrowDetached();
    return true;
}

// ---- the factory's seam ----

std::unique_ptr<CIoStream> CreateRamStream(const std::u16string& name, uint32_t flags)
{
    return std::make_unique<CRamStream>(name, flags);
}

} // namespace StreamIO
