// SPDX-License-Identifier: GPL-3.0-or-later
// What the two probe streams share: opening through the manager, the events
// check of IsOpen, cancelling, purging and the leftover of a report.
#include "streamio/usb/UsbProbeStreams.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/ErrorCodes.h"
#include "platform/FileException.h"

namespace StreamIO {

namespace {

// IsOpen takes at most this many pending attach/detach events, so that an
// event nobody resets cannot hold it.
constexpr int kEventDrainRounds = 4;

} // namespace

CUsbHostProbeStream::CUsbHostProbeStream(uint32_t kind, CUsbHostProbeManager* manager)
    : m_kind(kind), m_manager(manager != nullptr ? manager : &CUsbHostProbeManager::Process())
{
}

CUsbHostProbeStream::~CUsbHostProbeStream() = default;

bool CUsbHostProbeStream::Open(const std::u16string& path, uint32_t flags)
{
    const std::u16string name = path;
    unsigned index = 0;
    if (m_device && m_manager->FindDevice(m_name, m_kind, index) != m_device) {
        try {
            Close();
        } catch (const Platform::CFileException&) {
        }
    }
    m_name = name;
    m_flags = flags;
    m_error = 0;
    m_cancel = false;
    std::shared_ptr<IHidDevice> device;
    const uint32_t refused = m_manager->OpenDevice(name, m_kind, device);
    if (refused != 0) {
        SetError(refused);
        return false;
    }
    m_device = device;
    try {
        Prepare();
    } catch (...) {
        Release();
        m_device.reset();
        m_manager->CloseDevice(name, m_kind);
        throw;
    }
    return m_error == 0;
}

void CUsbHostProbeStream::Close()
{
    m_error = 0;
    Release();
    m_cancel = false;
    m_leftover.clear();
    m_leftoverPos = 0;
    if (!m_device)
        return;
    m_device.reset();
    m_manager->CloseDevice(m_name, m_kind);
}

bool CUsbHostProbeStream::IsOpen()
{
    unsigned index = 0;
    uint8_t event = m_manager->WaitForEvent(index, 0);
    for (int round = 0; round < kEventDrainRounds && event != PROBE_EVENT_TIMEOUT && event != PROBE_EVENT_CLOSING;
         ++round)
        event = m_manager->WaitForEvent(index, 50);
    return m_device && m_device == m_manager->FindDevice(m_name, m_kind, index);
}

bool CUsbHostProbeStream::Cancel()
{
    m_cancel = true;
    return true;
}

void CUsbHostProbeStream::PurgeInput()
{
    const int readMs = m_readTimeout, writeMs = m_writeTimeout;
    m_readTimeout = 0;
    m_writeTimeout = 0;
    try {
        uint8_t b = 0;
        for (int i = 0; i < 1 << 20 && Read(&b, 1) == 1; ++i) {
        }
    } catch (const Platform::CFileException&) {
    }
    m_readTimeout = readMs;
    m_writeTimeout = writeMs;
}

bool CUsbHostProbeStream::GetTimeouts(int& readMs, int& writeMs)
{
    readMs = m_readTimeout;
    writeMs = m_writeTimeout;
    return true;
}

bool CUsbHostProbeStream::SetTimeouts(int readMs, int writeMs)
{
    m_readTimeout = readMs;
    m_writeTimeout = writeMs;
    return true;
}

uint32_t CUsbHostProbeStream::TakeLeftover(uint8_t* out, uint32_t count)
{
    const size_t left = m_leftover.size() - m_leftoverPos;
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(left, count));
    if (n > 0)
        std::memcpy(out, m_leftover.data() + m_leftoverPos, n);
    m_leftoverPos += n;
    if (m_leftoverPos >= m_leftover.size()) {
        m_leftover.clear();
        m_leftoverPos = 0;
    }
    return n;
}

void CUsbHostProbeStream::KeepLeftover(const uint8_t* payload, uint32_t count)
{
    m_leftover.assign(payload, payload + count);
    m_leftoverPos = 0;
}

void CUsbHostProbeStream::Pause(uint32_t ms) const
{
    if (!m_cancel)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void CUsbHostProbeStream::CheckDevice(uint32_t error)
{
    if (error != 0)
        ThrowError(error);
}

} // namespace StreamIO
