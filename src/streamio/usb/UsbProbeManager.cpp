// SPDX-License-Identifier: GPL-3.0-or-later
#include "streamio/usb/UsbProbeManager.h"

#include <chrono>

#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "streamio/StreamHooks.h"

namespace StreamIO {

namespace {

std::atomic<CUsbHostProbeManager*> g_process{nullptr};

// The named events have no wait for several at once: they are tested in
// turn in slices this long.
constexpr int64_t kEventSliceMs = 5;

} // namespace

CUsbHostProbeManager::CUsbHostProbeManager(HidOpener opener, SProbeEventNames names)
    : m_opener(opener ? std::move(opener) : HidOpener(&OpenHidrawDevice))
{
    m_close.Create(names.close);
    m_attach.Create(names.attach);
    m_detach.Create(names.detach);
    m_close.Reset();
    m_attach.Reset();
    m_detach.Reset();
}

CUsbHostProbeManager::~CUsbHostProbeManager()
{
    for (SDeviceData& d : m_table)
        d.device->Close();
}

CUsbHostProbeManager& CUsbHostProbeManager::Process()
{
    // Never destroyed: probe streams may close during exit.
    static CUsbHostProbeManager* manager = [] {
        auto* m = new CUsbHostProbeManager();
        g_process.store(m);
        return m;
    }();
    return *manager;
}

bool CUsbHostProbeManager::ProcessExists()
{
    return g_process.load() != nullptr;
}

uint8_t CUsbHostProbeManager::WaitForEvent(unsigned& index, unsigned timeoutMs)
{
    index = 0;
    ++m_waiters;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t answer = PROBE_EVENT_TIMEOUT;
    for (;;) {
        if (m_close.IsSet()) {
            answer = PROBE_EVENT_CLOSING;
            break;
        }
        if (m_attach.IsSet()) {
            if (m_waiters.load() == 1)
                m_attach.Reset();
            answer = PROBE_EVENT_ATTACHED;
            break;
        }
        if (m_detach.IsSet()) {
            if (m_waiters.load() == 1)
                m_detach.Reset();
            answer = PROBE_EVENT_DETACHED;
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !m_close.IsOpen())
            break;
        m_close.Wait(std::min<int64_t>(left.count(), kEventSliceMs));
    }
    --m_waiters;
    return answer;
}

std::shared_ptr<IHidDevice> CUsbHostProbeManager::FindDevice(const std::u16string& path, uint32_t kind, unsigned& index)
{
    std::lock_guard<std::mutex> guard(m_lock);
    index = 0xFFFF;
    for (size_t i = 0; i < m_table.size(); ++i) {
        const SDeviceData& d = m_table[i];
        if (d.path != path || !d.device)
            continue;
        index = static_cast<unsigned>(i);
        const uint32_t users = kind == PROBE_CONTROL ? d.controlUsers : kind == PROBE_DATA ? d.dataUsers : 0;
        if (users != 0)
            return d.device;
    }
    return nullptr;
}

uint32_t CUsbHostProbeManager::OpenDevice(const std::u16string& path, uint32_t kind, std::shared_ptr<IHidDevice>& out)
{
    unsigned index = 0;
    if (FindDevice(path, kind, index))
        return Platform::ERROR_NOT_SUPPORTED;
    if (kind != PROBE_CONTROL && kind != PROBE_DATA)
        return Platform::ERROR_INVALID_PARAMETER;
    std::shared_ptr<IHidDevice> opened;
    if (index == 0xFFFF) {
        const uint32_t error = m_opener(path, opened);
        if (error != 0 || !opened)
            Platform::ThrowFileException(error != 0 ? error : Platform::ERROR_OPEN_FAILED, path);
    }
    std::lock_guard<std::mutex> guard(m_lock);
    SDeviceData* entry = nullptr;
    for (SDeviceData& d : m_table)
        if (d.path == path)
            entry = &d;
    if (entry == nullptr) {
        m_table.push_back(SDeviceData{path, opened, 0, 0});
        entry = &m_table.back();
    } else if (opened) {
        opened->Close();   // another thread opened the path meanwhile
    }
    (kind == PROBE_CONTROL ? entry->controlUsers : entry->dataUsers) = 1;
    out = entry->device;
    return 0;
}

void CUsbHostProbeManager::CloseDevice(const std::u16string& path, uint32_t kind)
{
    uint32_t error = 0;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (auto it = m_table.begin(); it != m_table.end(); ++it) {
            if (it->path != path)
                continue;
            uint32_t& users = kind == PROBE_CONTROL ? it->controlUsers : it->dataUsers;
            if (users > 0)
                --users;
            if (it->controlUsers == 0 && it->dataUsers == 0) {
                error = it->device->Close();
                m_table.erase(it);
            }
            break;
        }
    }
    if (error != 0)
        Platform::ThrowFileException(error, path);
}

size_t CUsbHostProbeManager::DeviceCount() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_table.size();
}

// Shutdown's signal to the probe streams of this process.  Only a process
// that made its manager sets the event, so a program without probes does
// not end the waits of another program of the same user.
void SetVovCloseEvent()
{
    if (CUsbHostProbeManager* manager = g_process.load())
        manager->CloseEvent().Set();
}

} // namespace StreamIO
