// SPDX-License-Identifier: GPL-3.0-or-later
// CUsbHostProbeData: the probe's input reports; a report whose sequence
// number equals the previous one's carries nothing new.
#include "streamio/usb/UsbProbeStreams.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/ErrorCodes.h"

namespace StreamIO {

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kLengthMask = 0x0F;
constexpr uint32_t kHeader = 2;

int64_t ElapsedMs(Clock::time_point since)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

} // namespace

CUsbHostProbeData::CUsbHostProbeData(CUsbHostProbeManager* manager) : CUsbHostProbeStream(PROBE_DATA, manager)
{
}

CUsbHostProbeData::~CUsbHostProbeData()
{
    Close();
}

void CUsbHostProbeData::Prepare()
{
    const uint32_t length = m_device->InputLength();
    if (length <= kHeader)
        ThrowError(Platform::ERROR_INVALID_DATA);
    m_length = length;
    m_receive.assign(length, 0);
    m_haveReport = false;
}

void CUsbHostProbeData::Release()
{
    m_length = 0;
    m_receive.clear();
    m_haveReport = false;
}

uint8_t CUsbHostProbeData::GetSequence()
{
    return m_receive.empty() ? 0 : static_cast<uint8_t>(m_receive[1] >> 5);
}

uint32_t CUsbHostProbeData::Write(const void*, uint32_t)
{
    return 0;
}

uint32_t CUsbHostProbeData::Read(void* buffer, uint32_t count)
{
    m_error = 0;
    if (!m_device || m_length == 0 || m_receive.empty() || count == 0)
        return 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    uint32_t got = TakeLeftover(out, count);
    if (got == count)
        return got;
    const Clock::time_point started = Clock::now();
    for (;;) {
        const int64_t before = ElapsedMs(started);
        const int wait = m_readTimeout == TIMEOUT_INFINITE
                             ? -1
                             : static_cast<int>(std::max<int64_t>(0, m_readTimeout - before));
        std::vector<uint8_t> report(m_length);
        const uint32_t error = m_device->ReadInput(report.data(), m_length, wait);
        if (error != 0 && error != Platform::ERROR_TIMEOUT && error != Platform::ERROR_OPERATION_ABORTED &&
            error != Platform::ERROR_IO_PENDING)
            ThrowError(error);
        // The first report always counts: there is no earlier one to repeat.
        if (error == 0 && (!m_haveReport || (report[1] >> 5) != (m_receive[1] >> 5))) {
            m_receive = report;
            m_haveReport = true;
            const uint32_t length = std::min<uint32_t>(report[1] & kLengthMask, m_length - kHeader);
            const uint32_t taken = std::min(length, count - got);
            std::memcpy(out + got, report.data() + kHeader, taken);
            if (taken < length)
                KeepLeftover(report.data() + kHeader + taken, length - taken);
            got += taken;
        }
        const int64_t elapsed = ElapsedMs(started);
        if (m_readTimeout != TIMEOUT_INFINITE && elapsed >= m_readTimeout && got < count) {
            SetError(Platform::ERROR_TIMEOUT);
            break;
        }
        if (m_pollMs != 0 && !m_cancel && got < count && elapsed != 0 &&
            (m_readTimeout == TIMEOUT_INFINITE || m_readTimeout > elapsed + m_pollMs + 2))
            Pause(m_pollMs);
        if (m_error != 0 || m_cancel || got >= count)
            break;
    }
    m_cancel = false;
    return got;
}

} // namespace StreamIO
