#include "device/SearchJobs.h"

#include <chrono>
#include <exception>
#include <thread>

#include "device/Callback.h"
#include "device/DeviceStrings.h"
#include "device/VnDevice.h"
#include "platform/ComPorts.h"
#include "platform/StringTable.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/StreamSpec.h"
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

// The serial part of a search.  Returns whether an instrument was found.
bool SearchSerial(CCallback& callback, const SSearchParams& params, const std::u16string* requiredSerial)
{
    const bool scan = params.scanAllComPorts;
    uint32_t port = scan ? 1 : params.comPort;
    bool found = false;
    std::unique_ptr<CVnDevice> device;
    for (;;) {
        if (scan && port == params.skipComPort) {
            if (port >= kLastComPort)
                break;
            ++port;
            continue;
        }
        if (!device) {
            device = CreateDevice(params.deviceType);
            if (!device)
                break;
        }
        Status(callback, Platform::LoadString(IDS_STATUS_SERIAL) + u" " +
                             Platform::FormatU(Platform::LoadString(IDS_STATUS_COM_PORT).c_str(), static_cast<int>(port)));
        // A scan never writes to the terminal that carries the system console.
        if (scan && Platform::IsSystemConsole(Platform::ComPortDevicePath(static_cast<int>(port)))) {
            Status(callback, Platform::LoadString(IDS_STATUS_CONSOLE_SKIPPED));
            if (Aborted() || port >= kLastComPort)
                break;
            ++port;
            continue;
        }
        std::unique_ptr<StreamIO::CIoStream> stream;
        try {
            const StreamIO::SerialSettings settings = device->GetSerialSettings();
            stream = StreamIO::OpenStream(StreamIO::SerialDeviceName(port), StreamIO::SF_READ | StreamIO::SF_WRITE,
                                          &settings);
        } catch (const std::exception&) {
            stream.reset();
        }
        if (!stream) {
            Status(callback, Platform::LoadString(IDS_STATUS_OPEN_FAILED));
        } else if (TryInstrument(callback, device, std::move(stream), PORT_SERIAL, requiredSerial)) {
            found = true;
        }
        if (Aborted())
            break;
        if (!(scan && port < kLastComPort && !(params.stopAtFirstFound && found)))
            break;
        ++port;
    }
    return found;
}

bool SearchPorts(CCallback& callback, const SSearchParams& params, const std::u16string* requiredSerial)
{
    switch (params.portKind) {
    case PORT_SERIAL:
        return SearchSerial(callback, params, requiredSerial);
    case PORT_USB:
        Status(callback, Platform::LoadString(IDS_STATUS_USB));
        Status(callback, Platform::LoadString(IDS_STATUS_USB_UNAVAILABLE));
        return false;
    case PORT_ETHERNET:
        Status(callback, Platform::LoadString(IDS_STATUS_ETHERNET) + u" " + params.ipAddress);
        Status(callback, Platform::LoadString(IDS_STATUS_ETHERNET_UNAVAILABLE));
        return false;
    default:
        return false;
    }
}

bool IsKnownPortKind(NPorts kind)
{
    return kind == PORT_SERIAL || kind == PORT_USB || kind == PORT_ETHERNET;
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
