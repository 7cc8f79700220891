// SPDX-License-Identifier: GPL-3.0-or-later
// The abstract byte stream of the StreamIO library and the module functions:
// the open-stream table, the factory of stream names, start-up and shutdown.
//
// Every transport (disk file, serial port, RAM disk file, IP socket, USB)
// derives from CIoStream.  Hard failures store a Win32/Winsock error number in
// the stream and throw Platform::CFileException carrying that number and the
// stream's name; soft outcomes (timeout 1460, end of data 38, not supported
// 50) are only stored and tested by the caller with HasError/IsEofOrTimeout.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace StreamIO {

struct SerialSettings;

// Open flags (m_flags).
enum : uint32_t {
    SF_READ = 0x0001,
    SF_WRITE = 0x0002,
    SF_OPEN_EXISTING = 0x0000,
    SF_OPEN_ALWAYS = 0x0010,
    SF_CREATE_NEW = 0x0020,
    SF_CREATE_ALWAYS = 0x0030,
    SF_CREATION_MASK = 0x0030,
    SF_SHARE_READ = 0x0100,
    SF_SHARE_WRITE = 0x0200,
    SF_FIFO = 0x1000,
    // Disk files only: the name must be a regular file; a folder, pipe,
    // device or socket is refused with ERROR_BAD_FILE_TYPE before any read.
    SF_REGULAR_FILE = 0x2000,
    SF_UDP = 0x8000,
};

// Seek origins (not the Win32 order).
enum : int {
    ORIGIN_CURRENT = 1,
    ORIGIN_BEGIN = 2,
    ORIGIN_END = 3,
};

// Timeout value meaning "wait without limit".
constexpr int TIMEOUT_INFINITE = -1;

class CIoStream {
public:
    // Registers the stream in the open-stream table (m_id 0 when it is full).
    CIoStream();
    // Unregisters the stream.  Concrete destructors close an open stream
    // first, swallowing exceptions.
    virtual ~CIoStream();

    CIoStream(const CIoStream&) = delete;
    CIoStream& operator=(const CIoStream&) = delete;

    // Slot order of the stream interface.
    virtual bool Reopen();                                  // 1
    virtual void Abort();                                   // 2
    virtual void Close() = 0;                               // 3
    virtual void PurgeInput();                              // 4
    virtual uint32_t GetInputCount();                       // 5
    virtual void Flush();                                   // 6
    virtual uint32_t GetBytesPerSecond();                   // 7
    virtual bool GetTimeouts(int& readMs, int& writeMs);    // 8
    virtual bool SetTimeouts(int readMs, int writeMs);      // 9
    virtual bool Cancel();                                  // 10
    virtual bool IsOpen() = 0;                              // 11
    virtual bool HasError();                                // 12
    virtual bool IsEofOrTimeout();                          // 13
    virtual uint32_t GetError();                            // 14
    virtual uint8_t ReadByte();                             // 15
    virtual uint32_t WriteByte(uint8_t b);                  // 16
    virtual uint32_t Read(void* buffer, uint32_t count) = 0;        // 17
    virtual uint32_t Write(const void* buffer, uint32_t count) = 0; // 18
    virtual bool IsSeekable();                              // 19
    virtual uint32_t GetLength();                           // 20
    virtual uint32_t GetPosition();                         // 21
    virtual uint32_t Seek(long offset, int origin);         // 22
    virtual uint32_t SetPosition(uint32_t pos);             // 23
    virtual void Truncate();                                // 24
    virtual bool Open(const std::u16string& name, uint32_t flags) = 0; // 25

    const std::u16string& GetName() const { return m_name; }
    uint32_t GetFlags() const { return m_flags; }
    uint32_t GetId() const { return m_id; }

protected:
    // Stores `code` in m_error and throws the file exception for it.
    [[noreturn]] void ThrowError(uint32_t code);
    // Stores `code` in m_error without throwing.
    void SetError(uint32_t code) { m_error = code; }

    std::u16string m_name;
    uint32_t m_flags = 0;
    uint32_t m_error = 0;
    uint32_t m_id = 0;
};

// Creates the table lock, the RAM disk "RAM:" and the socket start-up lock.
// Returns false when the library cannot be initialised.
bool Initialize();

// Aborts every registered stream (objects are not deleted), frees the table
// and the RAM disk, releases the socket library and sets "VovCloseEvent".
void Shutdown();

// The factory: makes and opens the stream class the name asks for
// (COM1: .. COM256: or \\.\COM<n>, RAM:..., IP:host:port, a USB device
// path, else a disk path; see StreamSpec.h).  A serial stream is set up with
// `settings` when given, else it keeps the port's current line settings;
// other streams ignore them.  Streams to an instrument (serial, IP, USB) are
// wrapped by the wire trace when it is on (WireTrace.h).  Throws the open
// failure as a file exception.  The caller owns the stream.
std::unique_ptr<CIoStream> OpenStream(const std::u16string& name, uint32_t flags,
                                      const SerialSettings* settings = nullptr);

// The registered stream with this id, or null (also for stale ids).
CIoStream* FindStream(uint32_t id);

// Closes the stream with this id: 0 when closed, 6 when no stream has the
// id, the OS error of a file exception thrown by Close, 13 for any other
// exception.  The stream object stays alive.
uint32_t CloseStream(uint32_t id);

} // namespace StreamIO
