// SPDX-License-Identifier: GPL-3.0-or-later
// CUsbHostStream: an instrument behind a bulk-transfer driver, its two
// pipes (read and write) as a CIoStream, opened with a device path that
// EnumBulkDevices gives.  Not seekable; no input count.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "streamio/IoStream.h"
#include "streamio/usb/UsbTransport.h"

namespace StreamIO {

class CUsbHostStream : public CIoStream {
public:
    // `opener` makes the device of a path (libusb-1.0 when not given).
    explicit CUsbHostStream(UsbBulkOpener opener = {});
    ~CUsbHostStream() override;

    // Error 50 and false when open; a failure to open the device or a pipe
    // is thrown with the path.
    bool Open(const std::u16string& path, uint32_t flags) override;
    void Close() override;
    bool IsOpen() override;
    void Flush() override;
    bool Cancel() override;
    bool GetTimeouts(int& readMs, int& writeMs) override;
    bool SetTimeouts(int readMs, int writeMs) override;
    // Reads until `count` bytes came: 38 when a transfer brings nothing,
    // 1460 when the read timeout has passed.  Error 30 thrown when not
    // opened for reading.
    uint32_t Read(void* buffer, uint32_t count) override;
    // One transfer of the whole count: 1460 when it timed out (what went
    // out is returned).  Error 29 thrown when not opened for writing.
    uint32_t Write(const void* buffer, uint32_t count) override;

private:
    UsbBulkOpener m_opener;
    std::unique_ptr<IUsbBulkDevice> m_device;
    int m_readTimeout = 500;
    int m_writeTimeout = 100;
};

} // namespace StreamIO
