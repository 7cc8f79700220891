// SPDX-License-Identifier: GPL-3.0-or-later
// CFileStream: a disk file as a CIoStream, over a POSIX file descriptor.
//
// Also the descriptor layer of the serial stream, which derives from it and
// reuses Open/Close/Read/Write on its device file or overrides them; the
// descriptor helpers are therefore protected.
#pragma once

#include <cstdint>
#include <string>

#include "streamio/IoStream.h"

namespace StreamIO {

class CFileStream : public CIoStream {
public:
    CFileStream();
    // Opens at once; throws the open failure as a file exception.
    CFileStream(const std::u16string& name, uint32_t flags);
    // Closes an open file quietly.
    ~CFileStream() override;

    // Access from SF_READ/SF_WRITE, creation from the creation bits (0x00
    // open existing, 0x10 open always, 0x20 create new: error 80 when the
    // file exists, 0x30 create always: truncates), share modes as described
    // in FileShareLock.h (error 32).  A directory fails with 5.  Returns
    // false with error 50 when already open.
    bool Open(const std::u16string& name, uint32_t flags) override;
    // fsync first when opened for writing; the descriptor is gone afterwards
    // even when closing failed; the failure is then thrown.  Error 6 when
    // not open.
    void Close() override;
    void Flush() override;
    // A disk file has no line timeouts and nothing to cancel: error 50 is
    // stored and false returned.
    bool GetTimeouts(int& readMs, int& writeMs) override;
    bool SetTimeouts(int readMs, int writeMs) override;
    bool Cancel() override;
    bool IsOpen() override;
    // Error 30 thrown when not opened for reading; at the end of the file 0
    // is returned with error 38 stored.
    uint32_t Read(void* buffer, uint32_t count) override;
    // Error 29 thrown when not opened for writing; nothing written stores 1460.
    uint32_t Write(const void* buffer, uint32_t count) override;
    bool IsSeekable() override;
    uint32_t GetLength() override;    // low 32 bits of the size
    uint32_t GetPosition() override;  // low 32 bits of the file pointer
    // Origins 1 current, 2 begin, 3 end; another origin throws 25, a
    // position before the start throws 131.
    uint32_t Seek(long offset, int origin) override;
    uint32_t SetPosition(uint32_t pos) override;
    // End of file := current position; error 29 when not opened for writing.
    void Truncate() override;

protected:
    int Descriptor() const { return m_fd; }

    // Opens `path` with the POSIX flags `oflags`; O_CLOEXEC and O_NOCTTY are
    // added, and the open itself does not block (the descriptor is blocking
    // afterwards).  Directories are refused.  Returns the descriptor, or -1
    // with the Win32 error in `error`.
    static int OpenDescriptor(const std::string& path, int oflags, bool regularOnly, uint32_t& error);

    // Takes over an open descriptor; the stream closes it.
    void AttachDescriptor(int fd) { m_fd = fd; }

    // Closes the descriptor, after fsync when `sync`.  The stream holds no
    // descriptor afterwards, also when closing failed.  Returns 0 or the
    // Win32 error of the first failure.
    uint32_t CloseDescriptor(bool sync);

    // One read()/write() on the descriptor, repeated on EINTR.  Returns the
    // bytes moved, or -1 with the Win32 error in `error`.
    long ReadOnce(void* buffer, uint32_t count, uint32_t& error);
    long WriteOnce(const void* buffer, uint32_t count, uint32_t& error);

    // Throws error 6 when no descriptor is open.
    void RequireOpen();

    // The opening of Read and Write: clears the stored error, throws
    // `accessError` when the stream was not opened with the `access` flag,
    // 6 when not open and 87 for a missing buffer.  False when `count` is 0
    // (nothing to move, nothing thrown for the buffer).
    bool BeginTransfer(const void* buffer, uint32_t count, uint32_t access, uint32_t accessError);

private:
    // Calls `once(done, error)` until `count` bytes moved or a call moves
    // nothing; a failed call throws its error.  Returns the bytes moved.
    template <class Once>
    uint32_t MoveAll(uint32_t count, Once once);

    int m_fd = -1;
};

} // namespace StreamIO
