// SPDX-License-Identifier: GPL-3.0-or-later
// CRs232Stream: a serial port (COM<n>) as a CIoStream, over a Linux tty.
//
// The stream is named after the Windows device path "\\.\COM<n>"; the file
// it opens is the device file Platform::ComPortDevicePath(n) gives.  The
// port is locked against every other open (flock and TIOCEXCL) and put in
// raw mode.  Line settings travel in a SerialSettings record.
//
// Timeouts keep the Windows COMMTIMEOUTS meaning inside the stream:
//  - a read returns when every byte asked for came or the total read
//    timeout ran out; a timeout of 0 or -1 waits without limit; a read that
//    times out returns what came and stores 38 when nothing came;
//  - a write may take 50 ms per byte plus the write timeout (-1: no limit);
//    a write that times out returns what went out and stores 1460.
//
// Cancel may be called from another thread: it discards both queues and
// wakes a read or write blocked in the first thread, which returns what it
// moved so far with error 995 stored (not thrown).
//
// What Linux has no setting for is kept in the stream and reported back by
// GetSettings: the queue sizes, DSR/DTR flow control, and one and a half stop
// bits (sent as two).  The serial stream is not seekable.
#pragma once

#include <cstdint>
#include <string>

#include "streamio/file/FileStream.h"
#include "streamio/serial/SerialSettings.h"

namespace StreamIO {

class CRs232Stream : public CFileStream {
public:
    // Closed, with the default line record.
    CRs232Stream();
    // Opens port `port` (OpenPort); throws the stored error when that fails.
    CRs232Stream(uint32_t port, uint32_t flags, const SerialSettings* settings);
    // Closes an open port quietly.
    ~CRs232Stream() override;

    // Opens "\\.\COM<n>" with `flags` (creation bits cleared).  With
    // `settings` the record is copied into the stream and applied, without
    // it the port's current settings are read into the stream's record.  A
    // record whose magic is not 0xA500 stores 87 and opens nothing.  True
    // when the error is 0; open failures are thrown.
    virtual bool OpenPort(uint32_t port, uint32_t flags, const SerialSettings* settings);  // 26
    // The port's settings; the whole record is zeroed and false returned
    // with the error stored when they cannot be read.
    virtual bool GetSettings(SerialSettings& out);                                        // 27
    // Applies `in` (then the timeouts, unless both are 0) and keeps it as
    // the stream's record.  Failures are stored and give false; 87 for a
    // baud rate of 0, data bits other than 5 to 8 or an unknown parity.
    virtual bool SetSettings(const SerialSettings& in);                                   // 28

    // Opens the device name "\\.\COM<n>"; another name fails with 123, a
    // port without device file with 2, a device file that is not a terminal
    // with 110, a port in use with 32, no permission with 5.
    bool Open(const std::u16string& name, uint32_t flags) override;
    // Opens m_name again and applies the stream's record.
    bool Reopen() override;
    void Close() override;
    void PurgeInput() override;
    uint32_t GetInputCount() override;
    void Flush() override;
    uint32_t GetBytesPerSecond() override;
    bool GetTimeouts(int& readMs, int& writeMs) override;
    bool SetTimeouts(int readMs, int writeMs) override;
    // Leaves the stored error to the thread that transfers; a failure is
    // thrown without being stored.
    bool Cancel() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t count) override;

    // The serial stream is not seekable: the CIoStream defaults.
    bool IsSeekable() override;
    uint32_t GetLength() override;
    uint32_t GetPosition() override;
    uint32_t Seek(long offset, int origin) override;
    uint32_t SetPosition(uint32_t pos) override;
    void Truncate() override;

    // The stream's line record (what OpenPort/SetSettings applied or read).
    const SerialSettings& Settings() const { return m_settings; }

    // A sentence the user can act on for a failed open of COM<port> with
    // the error `error` (port in use, no such port, no permission, ...).
    static std::u16string DescribeOpenError(uint32_t port, uint32_t error);

private:
    enum class EWait { Ready, TimedOut, Cancelled };
    struct SDeadline;

    // Waits until the port is readable or writable (`events`), the deadline
    // passes or Cancel wakes us.  With `pause` it only sleeps a little
    // (after the port claimed to be ready but was not).
    EWait WaitPort(short events, const SDeadline& deadline, bool pause);
    // The transfer loop of Read and Write: `call(done)` moves bytes from
    // `done` on; a call that moves nothing (other than one interrupted by a
    // signal) is shown to `failed(n, errno)`, which throws, answers true to
    // stop or false to wait for the port (`events`).  Returns Ready when the
    // loop ended by itself, else why the wait ended it.
    template <class Call, class Failed>
    EWait TransferLoop(short events, const SDeadline& deadline, uint32_t count, uint32_t& done, Call call,
                       Failed failed);
    // Opens the device file of COM<port> once m_name is set (see Open).
    bool OpenDevice(uint32_t port, uint32_t flags);
    // Closes the port quietly, releasing the exclusive open.
    void ReleasePort();
    uint32_t PrepareWake();
    void ResetWake();

    SerialSettings m_settings;
    // What Linux has no setting for, as last applied.
    uint16_t m_receiveQueue = 1024;
    uint16_t m_transmitQueue = 256;
    bool m_dsrHandshake = false;
    bool m_oneAndHalfStop = false;
    // COMMTIMEOUTS as SetTimeouts writes them (interval and read multiplier
    // are always 0).  All 0 when the stream is made: reads block.
    uint32_t m_readConstant = 0;
    uint32_t m_writeMultiplier = 0;
    uint32_t m_writeConstant = 0;
    // eventfd that Cancel signals; lives as long as the stream object.
    int m_wakeFd = -1;
};

} // namespace StreamIO
