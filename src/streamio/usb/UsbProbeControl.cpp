// SPDX-License-Identifier: GPL-3.0-or-later
// CUsbHostProbeControl: messages both ways in feature reports, with the
// acknowledge handshake and the sequence numbers.
#include "streamio/usb/UsbProbeStreams.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/ErrorCodes.h"

namespace StreamIO {

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kAck = 0x01;
constexpr uint8_t kHostMessage = 0x02;
constexpr uint8_t kHostSequence = 0x1C;
constexpr uint8_t kLengthMask = 0x3F;
constexpr uint32_t kHeader = 3;
constexpr uint32_t kMaxPayload = 63;

int64_t ElapsedMs(Clock::time_point since)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

uint8_t DeviceSequence(const std::vector<uint8_t>& report)
{
    return static_cast<uint8_t>(report[1] >> 5);
}

// True when a limited timeout has been reached.
bool TimedOut(int timeoutMs, int64_t elapsed)
{
    return timeoutMs != TIMEOUT_INFINITE && elapsed >= timeoutMs;
}

// True when a timeout (infinite counts as endless) leaves more than `margin`
// after `elapsed`.
bool RoomLeft(int timeoutMs, int64_t elapsed, int64_t margin)
{
    return timeoutMs == TIMEOUT_INFINITE || timeoutMs > elapsed + margin;
}

} // namespace

CUsbHostProbeControl::CUsbHostProbeControl(CUsbHostProbeManager* manager)
    : CUsbHostProbeStream(PROBE_CONTROL, manager)
{
}

CUsbHostProbeControl::~CUsbHostProbeControl()
{
    Close();
}

void CUsbHostProbeControl::Prepare()
{
    const uint32_t length = m_device->FeatureLength();
    if (length <= kHeader)
        ThrowError(Platform::ERROR_INVALID_DATA);
    m_length = length;
    m_send.assign(length, 0);
    m_receive.assign(length, 0);
    SetError(m_device->GetFeature(m_receive.data(), length));
}

void CUsbHostProbeControl::Release()
{
    m_length = 0;
    m_send.clear();
    m_receive.clear();
}

void CUsbHostProbeControl::Flush()
{
    m_error = 0;
    if (!m_device || m_send.empty())
        return;
    CheckDevice(m_device->GetFeature(m_send.data(), m_length));
    const bool acknowledgedEmpty = (m_send[1] & kAck) != 0 && (m_send[2] & kLengthMask) == 0;
    if ((m_send[1] & kHostMessage) != 0 && !acknowledgedEmpty) {
        m_send[1] |= kAck;
        m_send[2] &= static_cast<uint8_t>(~kLengthMask);
        CheckDevice(m_device->SetFeature(m_send.data(), m_length));
    }
}

uint32_t CUsbHostProbeControl::Write(const void* buffer, uint32_t count)
{
    m_error = 0;
    if (!m_device || m_length == 0 || m_send.empty() || count == 0 || count > m_length - kHeader ||
        count > kMaxPayload)
        return 0;
    const uint8_t* data = static_cast<const uint8_t*>(buffer);
    uint8_t* report = m_send.data();
    const Clock::time_point started = Clock::now();
    uint32_t sent = 0;
    for (;;) {
        CheckDevice(m_device->GetFeature(report, m_length));
        const bool ack = (report[1] & kAck) != 0;
        if (ack) {
            const bool deviceHolds = (report[2] & kLengthMask) != 0 && sent < count;
            if (!deviceHolds) {
                if (sent == count && (report[1] & kHostMessage) != 0) {
                    // The device took this message.
                    report[kHeader] = data[0];
                    report[2] &= static_cast<uint8_t>(~kLengthMask);
                    CheckDevice(m_device->SetFeature(report, m_length));
                    m_cancel = false;
                    return sent;
                }
                std::memcpy(report + kHeader, data, count);
                const uint8_t sequence = static_cast<uint8_t>(((report[1] & kHostSequence) + 0x04) & kHostSequence);
                report[1] = static_cast<uint8_t>((report[1] & ~(kHostSequence | kAck)) | kHostMessage | sequence);
                report[2] = static_cast<uint8_t>((report[2] & ~kLengthMask) | count);
                CheckDevice(m_device->SetFeature(report, m_length));
                sent = count;
            }
        }
        const int64_t elapsed = ElapsedMs(started);
        if (TimedOut(m_writeTimeout, elapsed)) {
            // Withdraw the message the device did not take.
            SetError(Platform::ERROR_TIMEOUT);
            report[1] |= kAck;
            report[2] &= static_cast<uint8_t>(~kLengthMask);
            CheckDevice(m_device->SetFeature(report, m_length));
        } else if (m_pollMs != 0) {
            if ((sent < count || (report[1] & kAck) == 0) && !m_cancel && elapsed > 1 &&
                RoomLeft(m_writeTimeout, elapsed, 3))
                Pause(m_pollMs);
        }
        if (m_error != 0 || m_cancel)
            break;
        if (sent >= count && (report[1] & kAck) != 0)
            break;
    }
    m_cancel = false;
    return m_error == 0 ? sent : 0;
}

uint32_t CUsbHostProbeControl::Read(void* buffer, uint32_t count)
{
    m_error = 0;
    if (!m_device || m_length == 0 || m_receive.empty() || count == 0 || count > m_length - kHeader)
        return 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    uint32_t got = TakeLeftover(out, count);
    if (got == count)
        return got;
    uint8_t* report = m_receive.data();
    uint8_t sequence = DeviceSequence(m_receive);
    const Clock::time_point started = Clock::now();
    for (;;) {
        CheckDevice(m_device->GetFeature(report, m_length));
        const uint32_t length = std::min<uint32_t>(report[2] & kLengthMask, m_length - kHeader);
        if ((report[1] & (kAck | kHostMessage)) == 0 && length != 0 && got < count) {
            const uint32_t taken = std::min(length, count - got);
            std::memcpy(out + got, report + kHeader, taken);
            // The rest of a partly used report is kept aside, so a later
            // feature read cannot overwrite it before it is handed out.
            if (taken < length)
                KeepLeftover(report + kHeader + taken, length - taken);
            got += taken;
            report[1] |= kAck;
            CheckDevice(m_device->SetFeature(report, m_length));
            sequence = DeviceSequence(m_receive);
        }
        const int64_t elapsed = ElapsedMs(started);
        if (TimedOut(m_readTimeout, elapsed)) {
            SetError(Platform::ERROR_TIMEOUT);
            break;
        }
        if (m_pollMs != 0) {
            const bool waiting = got < count || (report[1] & kAck) == 0 || (report[2] & kLengthMask) != 0;
            if (waiting && !m_cancel && elapsed > 1 && RoomLeft(m_readTimeout, elapsed, m_pollMs + 1))
                Pause(m_pollMs);
        }
        if (m_error != 0 || m_cancel)
            break;
        const bool consumed = DeviceSequence(m_receive) != sequence ||
                              ((report[1] & kAck) != 0 && (report[2] & kLengthMask) == 0);
        if (got >= count && consumed)
            break;
    }
    m_cancel = false;
    return got;
}

} // namespace StreamIO
