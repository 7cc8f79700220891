// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/SearchJobs.h"

#include <chrono>
#include <exception>
#include <thread>

#include "device/Callback.h"
#include "device/DeviceStrings.h"
#include "device/VnDevice.h"
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/LinkSpec.h"
#include "streamio/Transports.h"
#include "streamio/serial/SerialSettings.h"

namespace Device {

namespace {

// A search stops for an abort request, and on the device thread also for a
// stop of the thread.
bool Aborted()
{
    return IsAbortRequested() || DeviceThreadAbortHook(nullptr);
}

void Status(CCallback& callback, const std::u16string& text)
{
    callback.OnStatusText(text);
}

// Attaches the opened stream and identifies the instrument.  On success the
// device is handed to the callback (or deleted when an abort came meanwhile)
// and true is returned; otherwise the stream is detached and deleted.
bool TryInstrument(CCallback& callback, std::unique_ptr<CVnDevice>& device, std::unique_ptr<StreamIO::CIoStream> stream,
                   NPorts kind, const std::u16string* requiredSerial)
{
    if (!device->Attach(stream, kind))
        return false;
    SDeviceInfo info;
    bool ok = device->Identify(info);
    if (ok && requiredSerial != nullptr && info.serialNumber != *requiredSerial)
        ok = false;
    if (!ok) {
        Status(callback, Platform::LoadString(IDS_STATUS_NOT_FOUND));
        device->Detach();
        return false;
    }
    const std::string type = Platform::ToUtf8(info.typeName);
    const std::string serial = Platform::ToUtf8(info.serialNumber);
    Status(callback, Platform::FormatU(Platform::LoadString(IDS_STATUS_FOUND).c_str(), type.c_str(), serial.c_str()));
    if (!Aborted())
        callback.OnDeviceFound(std::move(device));
    device.reset();
    return true;
}

// One search over the links of one transport: the transport's row walks
// them, this object opens each and identifies the instrument.
class CSearchRun : public StreamIO::ILinkSearch {
public:
    CSearchRun(CCallback& callback, const SSearchParams& params, const std::u16string* requiredSerial)
        : m_callback(callback), m_params(params), m_requiredSerial(requiredSerial)
    {
        m_scope.scanAll = params.scanAllComPorts;
        m_scope.stopAtFirst = params.stopAtFirstFound;
        m_scope.comPort = params.comPort;
        m_scope.skipComPort = params.skipComPort;
        m_scope.address = params.ipAddress;
    }

    const StreamIO::SLinkSearchScope& Scope() const override { return m_scope; }
    bool Aborted() override { return Device::Aborted(); }
    void Status(const std::u16string& text) override { Device::Status(m_callback, text); }

    bool Ready() override
    {
        if (!m_device)
            m_device = CreateDevice(m_params.deviceType);
        return m_device != nullptr;
    }

    ETry Try(const StreamIO::SLinkSpec& link, uint32_t& openError) override
    {
        openError = Platform::ERROR_OPEN_FAILED;
        std::unique_ptr<StreamIO::CIoStream> stream;
        try {
            const StreamIO::SerialSettings settings = m_device->GetSerialSettings();
            stream = StreamIO::OpenStream(link, StreamIO::SF_READ | StreamIO::SF_WRITE, &settings);
        } catch (const Platform::CFileException& e) {
            openError = e.GetOsError();
        } catch (const std::exception&) {
        }
        if (!stream)
            return ETry::OpenFailed;
        const bool found = TryInstrument(m_callback, m_device, std::move(stream), static_cast<NPorts>(link.kind),
                                         m_requiredSerial);
        return found ? ETry::Found : ETry::NotFound;
    }

private:
    CCallback& m_callback;
    const SSearchParams& m_params;
    const std::u16string* m_requiredSerial;
    StreamIO::SLinkSearchScope m_scope;
    std::unique_ptr<CVnDevice> m_device;
};

const StreamIO::STransport* TransportOf(NPorts kind)
{
    return StreamIO::FindTransport(static_cast<StreamIO::ELinkKind>(kind));
}

bool SearchPorts(CCallback& callback, const SSearchParams& params, const std::u16string* requiredSerial)
{
    const StreamIO::STransport* transport = TransportOf(params.portKind);
    if (transport == nullptr)
        return false;
    CSearchRun run(callback, params, requiredSerial);
    return transport->search(run);
}

bool IsKnownPortKind(NPorts kind)
{
    return TransportOf(kind) != nullptr;
}

// Sleeps `ms` in short slices; false when an abort came.
bool SleepUnlessAborted(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (Aborted())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return !Aborted();
}

} // namespace

void JobSearch(CCallback& callback, const SSearchParams& params)
{
    if (!IsKnownPortKind(params.portKind)) {
        callback.OnDeviceFound(nullptr);
        return;
    }
    SearchPorts(callback, params, nullptr);
    if (!Aborted())
        callback.OnDeviceFound(nullptr);
}

void JobReconnect(CCallback& callback, const SSearchParams& params)
{
    if (!IsKnownPortKind(params.portKind)) {
        callback.OnDeviceFound(nullptr);
        return;
    }
    const auto started = std::chrono::steady_clock::now();
    const auto timeout = std::chrono::milliseconds(params.reconnectTimeoutMs);
    while (!Aborted() && std::chrono::steady_clock::now() - started < timeout) {
        Status(callback, Platform::LoadString(IDS_STATUS_RECONNECT));
        if (!SleepUnlessAborted(params.reconnectTimeoutMs / 10))
            break;
        if (SearchPorts(callback, params, &params.serialNumber))
            break;
    }
    if (!Aborted())
        callback.OnDeviceFound(nullptr);
}

} // namespace Device
