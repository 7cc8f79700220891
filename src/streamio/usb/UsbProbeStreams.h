// SPDX-License-Identifier: GPL-3.0-or-later
// The HID probe of the maker as two streams sharing one device through the
// probe manager: CUsbHostProbeControl sends and receives through feature
// reports, CUsbHostProbeData receives through input reports.
//
// Feature report (length L > 3): byte 0 the id, byte 1 bit 0 acknowledge
// (the side that consumed the message sets it), bit 1 host message present,
// bits 2-4 the host's sequence number, bits 5-7 the device's; byte 2 bits
// 0-5 the payload length (bits 6-7 kept as read); the payload from byte 3.
// Input report (length > 2): byte 1 bits 0-3 the payload length and bits
// 5-7 the device's sequence number; the payload from byte 2.
//
// A message is never split: a transfer of more than one report's payload
// returns 0 and stores nothing.  Time-outs store 1460; device failures are
// thrown with the path.  Cancel may come from another thread and ends a
// transfer at its next poll.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "streamio/IoStream.h"
#include "streamio/usb/UsbProbeManager.h"

namespace StreamIO {

class CUsbHostProbeStream : public CIoStream {
public:
    ~CUsbHostProbeStream() override;

    // Opens `path` as this stream's kind of user; a kind already present
    // gives 50 (false, nothing changed).
    bool Open(const std::u16string& path, uint32_t flags) override;
    void Close() override;
    // Takes the manager's pending events first; true while the stream's
    // device is the one the manager holds for this path and kind.
    bool IsOpen() override;
    bool Cancel() override;
    // Reads and drops bytes until nothing more comes at once.
    void PurgeInput() override;
    bool GetTimeouts(int& readMs, int& writeMs) override;
    bool SetTimeouts(int readMs, int writeMs) override;

    virtual void SetPollInterval(uint32_t ms) { m_pollMs = ms; }   // 26
    virtual uint32_t GetPollInterval() { return m_pollMs; }        // 27

protected:
    CUsbHostProbeStream(uint32_t kind, CUsbHostProbeManager* manager);

    // The kind's own set-up after the device was opened: report lengths and
    // buffers.
    virtual void Prepare() = 0;
    virtual void Release() = 0;
    // Hands out bytes of a report that were not taken yet; returns how many.
    uint32_t TakeLeftover(uint8_t* out, uint32_t count);
    void KeepLeftover(const uint8_t* payload, uint32_t count);
    // Sleeps `ms`, unless cancelled.
    void Pause(uint32_t ms) const;
    void CheckDevice(uint32_t error);

    const uint32_t m_kind;
    CUsbHostProbeManager* m_manager;
    std::shared_ptr<IHidDevice> m_device;
    int m_readTimeout = 500;
    int m_writeTimeout = 100;
    uint32_t m_pollMs = 1;
    std::atomic<bool> m_cancel{false};
    // The part of a received report the caller has not taken yet.
    std::vector<uint8_t> m_leftover;
    size_t m_leftoverPos = 0;
};

class CUsbHostProbeControl : public CUsbHostProbeStream {
public:
    explicit CUsbHostProbeControl(CUsbHostProbeManager* manager = nullptr);
    ~CUsbHostProbeControl() override;

    // Withdraws a host message the device has not taken.
    void Flush() override;
    uint32_t Read(void* buffer, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t count) override;

    uint32_t ReportLength() const { return m_length; }

private:
    void Prepare() override;
    void Release() override;

    uint32_t m_length = 0;
    std::vector<uint8_t> m_send;
    std::vector<uint8_t> m_receive;
};

class CUsbHostProbeData : public CUsbHostProbeStream {
public:
    explicit CUsbHostProbeData(CUsbHostProbeManager* manager = nullptr);
    ~CUsbHostProbeData() override;

    uint32_t Read(void* buffer, uint32_t count) override;
    // The data stream only receives.
    uint32_t Write(const void* buffer, uint32_t count) override;
    // The device's sequence number of the last input report (0 without one).
    virtual uint8_t GetSequence();                                  // 28

private:
    void Prepare() override;
    void Release() override;

    uint32_t m_length = 0;
    std::vector<uint8_t> m_receive;
    bool m_haveReport = false;
};

} // namespace StreamIO
