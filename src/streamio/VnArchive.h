// SPDX-License-Identifier: GPL-3.0-or-later
// CVnArchive: writes numbers, byte blocks and texts into a stream, or reads
// them back, through a 1024-byte buffer.  Project files and clipboard data
// are written with it.
//
// Errors are thrown as Platform::CFileException: 2 the named stream cannot be
// opened, 6 the stream id is not valid, 29/30 failed writes/reads, 38 reading
// past the end, 122 a text longer than 65535 characters, 13 content that the
// reader rejects (raised by callers through ThrowInvalidData).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace StreamIO {

class CIoStream;

class CVnArchive {
public:
    enum : uint32_t {
        load = 0x01,        // bit 0: loading; clear: storing
        bigEndianA = 0x10,  // either of these two bits selects big-endian numbers
        bigEndianB = 0x80,
    };
    static constexpr size_t kBufferSize = 1024;

    // Opens the named stream itself: for loading with SF_READ|SF_SHARE_READ,
    // for storing with SF_READ|SF_WRITE|SF_CREATE_ALWAYS|SF_SHARE_READ.  Any
    // open failure is thrown as error 2 with the name.
    CVnArchive(const std::u16string& streamName, uint32_t mode);
    // Works on a stream that is already open (found by its table id; error 6
    // when no open stream has it).  The archive does not close it.
    CVnArchive(uint32_t streamId, uint32_t mode);
    // Flushes pending output (errors swallowed; call Close to see them).
    // A stream found by id stays open; an owned stream is closed.
    ~CVnArchive();

    CVnArchive(const CVnArchive&) = delete;
    CVnArchive& operator=(const CVnArchive&) = delete;

    bool IsLoading() const { return (m_mode & load) != 0; }
    bool IsStoring() const { return !IsLoading(); }
    bool IsBigEndian() const { return (m_mode & (bigEndianA | bigEndianB)) != 0; }

    void WriteByte(uint8_t v);
    void Write16(uint16_t v);
    void Write32(uint32_t v);
    void WriteBytes(const void* data, size_t count);
    // Marker 0xFE, 16-bit count, UTF-16 units; error 122 above 65535 units.
    void WriteText(const std::u16string& text);

    uint8_t ReadByte();
    uint16_t Read16();
    uint32_t Read32();
    void ReadBytes(void* data, size_t count);
    // Reads `count` bytes into a new block; error 38 without allocating when
    // fewer than `count` bytes remain.
    std::vector<uint8_t> ReadByteBlock(size_t count);
    // Marker 0xFF: 8-bit characters; any other marker: UTF-16 units.
    std::u16string ReadText();

    // Bytes that can still be read (buffered plus what the stream holds
    // after its position), or SIZE_MAX when the stream cannot tell (not
    // seekable); 0 when storing or closed.  Readers check every length and
    // count against it before allocating.
    size_t Remaining();

    // Loading from a seekable stream: the offset of the next byte the reader
    // takes (where a damaged stream stopped being readable); else 0.
    uint64_t ReadOffset();

    // Throws error 13 (invalid data) with the stream's name.
    [[noreturn]] void ThrowInvalidData();

    // Storing: writes buffered output to the stream and flushes the stream.
    // Loading: moves a seekable stream back by the bytes read ahead, so its
    // position is where the reader stands.
    void Flush();
    // Flushes as above and, when the archive opened the stream itself,
    // closes it (also when the flush failed).  The first failure is thrown.
    // Afterwards every read or write throws error 6.
    void Close();

    CIoStream* GetStream() const { return m_stream; }

private:
    void NormalizeMode();
    // Error 6 when closed; 30 for a read while storing, 29 for a write while
    // loading.
    void CheckUsable(bool forLoading);
    void FillBuffer(size_t needed);
    void WriteRaw(const void* data, size_t count);
    void ReadRaw(void* data, size_t count);
    // True when `bytes` more can be read (buffer first, then Remaining).
    bool CanRead(size_t bytes);
    void WritePending();
    void ReturnReadAhead();
    [[noreturn]] void Throw(uint32_t code);

    uint32_t m_mode;
    CIoStream* m_stream = nullptr;
    std::unique_ptr<CIoStream> m_owned;   // set when the archive opened the stream
    std::u16string m_name;
    std::vector<uint8_t> m_buffer;
    size_t m_pos = 0;    // loading: next byte to read; storing: bytes pending
    size_t m_end = 0;    // loading: bytes valid in the buffer
    bool m_closed = false;
};

} // namespace StreamIO
