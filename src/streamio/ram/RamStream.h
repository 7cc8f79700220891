// SPDX-License-Identifier: GPL-3.0-or-later
// CRamStream: a file of the process RAM disk "RAM:" as a CIoStream.
//
// Linear files behave like disk files (position, seek, truncate); FIFO files
// (created with SF_FIFO) are rings in which reads consume what writes
// appended, with no position.  Whether a stream works linear or as a FIFO
// follows the file it opened, whatever SF_FIFO bit a later opener gives.
//
// Every operation on a stream that is not open throws error 6.  After the
// library shut down (the disk was freed) a stream still holding a file is no
// longer open: its operations throw 6 and Close only lets go of the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "streamio/IoStream.h"

namespace StreamIO {

class CRamDisk;
class CRamFile;

class CRamStream : public CIoStream {
public:
    CRamStream();
    // Opens at once; throws the open failure as a file exception.
    CRamStream(const std::u16string& name, uint32_t flags);
    // Closes an open stream quietly.
    ~CRamStream() override;

    // Puts "RAM:" in front of a name without it (ASCII case ignored); the
    // disk then applies its share and creation rules.  Errors thrown: 2, 14,
    // 21 (no disk: before Initialize or after Shutdown), 32, 80, 110, 123.
    // False with error 50 when already open.
    bool Open(const std::u16string& name, uint32_t flags) override;
    // Releases the file (the last release frees it); nothing when closed.
    void Close() override;
    bool IsOpen() override;
    // Error 30 thrown when not opened for reading.  Linear: from the
    // position, which advances; FIFO: consumes from the ring.  Nothing read
    // stores 38; a null buffer stores 87; neither is thrown.
    uint32_t Read(void* buffer, uint32_t count) override;
    // Error 29 thrown when not opened for writing; growth that finds no
    // memory (or would pass 4 GiB) throws 14.  Linear: at the position,
    // overwriting or extending; FIFO: appended.  Returns count (0 for a null
    // buffer, which stores 87).
    uint32_t Write(const void* buffer, uint32_t count) override;
    // A FIFO drops every buffered byte; a linear file is left alone.
    void PurgeInput() override;
    // False for a FIFO.
    bool IsSeekable() override;
    uint32_t GetLength() override;
    uint32_t GetPosition() override;
    // Origins 1, 2, 3 of a linear file; a negative result throws 131, one
    // beyond the length or another origin 132.  A FIFO throws 132.
    uint32_t Seek(long offset, int origin) override;
    // Sets the position without any check.
    uint32_t SetPosition(uint32_t pos) override;
    // Length := position (a FIFO: only 0, which empties it).  Error 29 when
    // not opened for writing; 14 when growth finds no memory.
    void Truncate() override;
    // Slot 26: grows the capacity to at least `bytes`; false when memory ran
    // out.
    virtual bool Reserve(uint32_t bytes);

private:
    // Throws 6 unless a file is attached and still on its disk.
    void RequireOpen();
    // Drops the file after the disk detached it and throws 6.
    [[noreturn]] void ThrowDetached();
    // The checks that start a Read or Write: open, the direction allowed
    // (else `accessError` is thrown), a count and a buffer (a null buffer
    // stores 87).  False when nothing is to be moved.
    bool BeginTransfer(const void* buffer, uint32_t count, uint32_t access, uint32_t accessError);

    std::shared_ptr<CRamDisk> m_disk;
    std::shared_ptr<CRamFile> m_file;
    uint32_t m_position = 0;
};

} // namespace StreamIO
