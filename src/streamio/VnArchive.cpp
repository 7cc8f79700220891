// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/VnArchive.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <limits>

#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "streamio/IoStream.h"

namespace StreamIO {

namespace {

// Stream transfers take 32-bit counts; larger blocks go in pieces.
constexpr size_t kMaxTransfer = 0x40000000;

} // namespace

CVnArchive::CVnArchive(const std::u16string& streamName, uint32_t mode)
    : m_mode(mode), m_name(streamName), m_buffer(kBufferSize)
{
    NormalizeMode();
    const uint32_t flags = IsLoading() ? (SF_READ | SF_SHARE_READ)
                                       : (SF_READ | SF_WRITE | SF_CREATE_ALWAYS | SF_SHARE_READ);
    try {
        m_owned = OpenStream(streamName, flags);
    } catch (const Platform::CFileException&) {
        Throw(Platform::ERROR_FILE_NOT_FOUND);
    }
    m_stream = m_owned.get();
}

CVnArchive::CVnArchive(uint32_t streamId, uint32_t mode)
    : m_mode(mode), m_buffer(kBufferSize)
{
    NormalizeMode();
    m_stream = FindStream(streamId);
    if (m_stream == nullptr)
        Throw(Platform::ERROR_INVALID_HANDLE);
    m_name = m_stream->GetName();
    if (!m_stream->IsOpen())
        Throw(Platform::ERROR_INVALID_HANDLE);
}

CVnArchive::~CVnArchive()
{
    if (m_closed || m_stream == nullptr)
        return;
    try {
        if (IsStoring())
            WritePending();
        else
            ReturnReadAhead();
    } catch (...) {
        // A destructor never throws; Close reports these failures.
    }
    // An owned stream is closed quietly by its own destructor.
}

void CVnArchive::NormalizeMode()
{
    // Either big-endian bit selects big-endian numbers and then both are set.
    if ((m_mode & (bigEndianA | bigEndianB)) != 0)
        m_mode |= bigEndianA | bigEndianB;
}

void CVnArchive::Throw(uint32_t code)
{
    Platform::ThrowFileException(code, m_name);
}

void CVnArchive::ThrowInvalidData()
{
    Throw(Platform::ERROR_INVALID_DATA);
}

void CVnArchive::CheckUsable(bool forLoading)
{
    if (m_closed || m_stream == nullptr)
        Throw(Platform::ERROR_INVALID_HANDLE);
    if (forLoading && !IsLoading())
        Throw(Platform::ERROR_READ_FAULT);
    if (!forLoading && IsLoading())
        Throw(Platform::ERROR_WRITE_FAULT);
}

// ---- storing ----

void CVnArchive::WritePending()
{
    size_t done = 0;
    while (done < m_pos) {
        const uint32_t chunk = static_cast<uint32_t>(m_pos - done);
        const uint32_t written = m_stream->Write(m_buffer.data() + done, chunk);
        if (written == 0) {
            m_pos = 0;   // the stream refused the data; do not offer it again
            Throw(Platform::ERROR_WRITE_FAULT);
        }
        done += written;
    }
    m_pos = 0;
}

void CVnArchive::WriteRaw(const void* data, size_t count)
{
    CheckUsable(false);
    const uint8_t* in = static_cast<const uint8_t*>(data);
    if (count <= m_buffer.size() - m_pos) {
        if (count != 0)
            std::memcpy(m_buffer.data() + m_pos, in, count);
        m_pos += count;
        return;
    }
    WritePending();
    if (count < m_buffer.size()) {
        std::memcpy(m_buffer.data(), in, count);
        m_pos = count;
        return;
    }
    // Large blocks go straight to the stream.
    while (count > 0) {
        const uint32_t chunk = static_cast<uint32_t>(std::min(count, kMaxTransfer));
        const uint32_t written = m_stream->Write(in, chunk);
        if (written == 0)
            Throw(Platform::ERROR_WRITE_FAULT);
        in += written;
        count -= written;
    }
}

void CVnArchive::WriteByte(uint8_t v)
{
    WriteRaw(&v, 1);
}

void CVnArchive::Write16(uint16_t v)
{
    uint8_t b[2];
    if (IsBigEndian()) {
        b[0] = static_cast<uint8_t>(v >> 8);
        b[1] = static_cast<uint8_t>(v);
    } else {
        b[0] = static_cast<uint8_t>(v);
        b[1] = static_cast<uint8_t>(v >> 8);
    }
    WriteRaw(b, 2);
}

void CVnArchive::Write32(uint32_t v)
{
    uint8_t b[4];
    for (int i = 0; i < 4; ++i) {
        const int shift = IsBigEndian() ? 24 - 8 * i : 8 * i;
        b[i] = static_cast<uint8_t>(v >> shift);
    }
    WriteRaw(b, 4);
}

void CVnArchive::WriteBytes(const void* data, size_t count)
{
    WriteRaw(data, count);
}

void CVnArchive::WriteText(const std::u16string& text)
{
    CheckUsable(false);
    if (text.size() > 0xFFFF)
        Throw(Platform::ERROR_INSUFFICIENT_BUFFER);
    WriteByte(0xFE);
    Write16(static_cast<uint16_t>(text.size()));
    uint8_t piece[512];
    const bool big = IsBigEndian();
    size_t n = 0;
    for (char16_t c : text) {
        piece[n++] = static_cast<uint8_t>(big ? c >> 8 : c);
        piece[n++] = static_cast<uint8_t>(big ? c : c >> 8);
        if (n == sizeof piece) {
            WriteRaw(piece, n);
            n = 0;
        }
    }
    WriteRaw(piece, n);
}

// ---- loading ----

void CVnArchive::FillBuffer(size_t needed)
{
    // Keep what is left at the front, then read ahead at most the buffer.
    if (m_pos > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_end - m_pos);
        m_end -= m_pos;
        m_pos = 0;
    }
    while (m_end < needed) {
        const uint32_t room = static_cast<uint32_t>(m_buffer.size() - m_end);
        const uint32_t got = m_stream->Read(m_buffer.data() + m_end, room);
        if (got == 0)
            Throw(Platform::ERROR_HANDLE_EOF);
        m_end += got;
    }
}

void CVnArchive::ReadRaw(void* data, size_t count)
{
    CheckUsable(true);
    uint8_t* out = static_cast<uint8_t*>(data);
    const size_t buffered = m_end - m_pos;
    if (count <= buffered) {
        if (count != 0)
            std::memcpy(out, m_buffer.data() + m_pos, count);
        m_pos += count;
        return;
    }
    if (count < m_buffer.size()) {
        FillBuffer(count);
        std::memcpy(out, m_buffer.data() + m_pos, count);
        m_pos += count;
        return;
    }
    // Large blocks: hand out what is buffered, read the rest directly.
    if (buffered != 0)
        std::memcpy(out, m_buffer.data() + m_pos, buffered);
    m_pos = m_end = 0;
    out += buffered;
    count -= buffered;
    while (count > 0) {
        const uint32_t chunk = static_cast<uint32_t>(std::min(count, kMaxTransfer));
        const uint32_t got = m_stream->Read(out, chunk);
        if (got == 0)
            Throw(Platform::ERROR_HANDLE_EOF);
        out += got;
        count -= got;
    }
}

uint8_t CVnArchive::ReadByte()
{
    uint8_t v = 0;
    ReadRaw(&v, 1);
    return v;
}

uint16_t CVnArchive::Read16()
{
    uint8_t b[2];
    ReadRaw(b, 2);
    return IsBigEndian() ? static_cast<uint16_t>((b[0] << 8) | b[1]) : static_cast<uint16_t>((b[1] << 8) | b[0]);
}

uint32_t CVnArchive::Read32()
{
    uint8_t b[4];
    ReadRaw(b, 4);
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        const int shift = IsBigEndian() ? 24 - 8 * i : 8 * i;
        v |= static_cast<uint32_t>(b[i]) << shift;
    }
    return v;
}

void CVnArchive::ReadBytes(void* data, size_t count)
{
    ReadRaw(data, count);
}

std::vector<uint8_t> CVnArchive::ReadByteBlock(size_t count)
{
    CheckUsable(true);
    if (!CanRead(count))
        Throw(Platform::ERROR_HANDLE_EOF);
    if (count <= m_end - m_pos || m_stream->IsSeekable()) {
        std::vector<uint8_t> block(count);
        ReadRaw(block.data(), count);
        return block;
    }
    // A stream that cannot tell its length: grow with the data that really
    // arrives instead of trusting the count up front.
    constexpr size_t kStep = 64 * 1024;
    std::vector<uint8_t> block;
    while (block.size() < count) {
        const size_t piece = std::min(kStep, count - block.size());
        const size_t at = block.size();
        block.resize(at + piece);
        ReadRaw(block.data() + at, piece);
    }
    return block;
}

std::u16string CVnArchive::ReadText()
{
    const uint8_t marker = ReadByte();
    const uint16_t count = Read16();
    const bool narrow = marker == 0xFF;
    const size_t bytes = narrow ? count : static_cast<size_t>(count) * 2;
    if (!CanRead(bytes))
        Throw(Platform::ERROR_HANDLE_EOF);
    std::u16string text;
    text.reserve(count);
    uint8_t piece[512];   // even size: 16-bit units never straddle pieces
    const bool big = IsBigEndian();
    for (size_t left = bytes; left > 0;) {
        const size_t n = std::min(left, sizeof piece);
        ReadRaw(piece, n);
        if (narrow) {
            for (size_t i = 0; i < n; ++i)
                text += static_cast<char16_t>(piece[i]);
        } else {
            for (size_t i = 0; i < n; i += 2)
                text += static_cast<char16_t>(big ? (piece[i] << 8) | piece[i + 1] : (piece[i + 1] << 8) | piece[i]);
        }
        left -= n;
    }
    return text;
}

bool CVnArchive::CanRead(size_t bytes)
{
    // The buffer alone often answers without asking the stream.
    return bytes <= m_end - m_pos || bytes <= Remaining();
}

size_t CVnArchive::Remaining()
{
    if (m_closed || m_stream == nullptr || !IsLoading())
        return 0;
    const size_t buffered = m_end - m_pos;
    if (!m_stream->IsSeekable())
        return std::numeric_limits<size_t>::max();
    const uint32_t length = m_stream->GetLength();
    const uint32_t position = m_stream->GetPosition();
    return buffered + (length > position ? length - position : 0);
}

uint64_t CVnArchive::ReadOffset()
{
    if (m_closed || m_stream == nullptr || !IsLoading() || !m_stream->IsSeekable())
        return 0;
    try {
        const uint64_t position = m_stream->GetPosition();
        const uint64_t buffered = m_end - m_pos;
        return position > buffered ? position - buffered : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

// ---- ending ----

void CVnArchive::ReturnReadAhead()
{
    // Put the stream back where the reader stands, so a stream that the
    // archive does not own can be read on from there.
    const size_t unread = m_end - m_pos;
    m_pos = m_end = 0;
    if (unread != 0 && m_stream->IsSeekable())
        m_stream->Seek(-static_cast<long>(unread), ORIGIN_CURRENT);
}

void CVnArchive::Flush()
{
    if (m_closed || m_stream == nullptr)
        Throw(Platform::ERROR_INVALID_HANDLE);
    if (IsStoring()) {
        WritePending();
        m_stream->Flush();
    } else {
        ReturnReadAhead();
    }
}

void CVnArchive::Close()
{
    if (m_closed)
        return;
    m_closed = true;
    if (m_stream == nullptr)
        return;
    // The owned stream is closed even when the last flush failed; the first
    // failure is the one reported.
    std::exception_ptr failure;
    try {
        if (IsStoring()) {
            WritePending();
            // An owned stream is pushed out by its own Close below.
            if (!m_owned)
                m_stream->Flush();
        } else {
            ReturnReadAhead();
        }
    } catch (...) {
        failure = std::current_exception();
    }
    if (m_owned) {
        try {
            m_owned->Close();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace StreamIO
