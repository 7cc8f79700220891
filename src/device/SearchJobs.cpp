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
#include "platform/ErrorCodes.h"
#include "platform/FileException.h"
#include "streamio/IoStream.h"
#include "streamio/usb/UsbEnumeration.h"
#include "streamio/StreamSpec.h"
#include "streamio/serial/Rs232Stream.h"
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
        uint32_t openError = Platform::ERROR_OPEN_FAILED;
        try {
            const StreamIO::SerialSettings settings = device->GetSerialSettings();
            stream = StreamIO::OpenStream(StreamIO::SerialDeviceName(port), StreamIO::SF_READ | StreamIO::SF_WRITE,
                                          &settings);
        } catch (const Platform::CFileException& e) {
            openError = e.GetOsError();
            stream.reset();
        } catch (const std::exception&) {
            stream.reset();
        }
        if (!stream) {
            // A second line says why: in use, not permitted (and how to get
            // the permission), no such device, not a serial port.
            Status(callback, Platform::LoadString(IDS_STATUS_OPEN_FAILED));
            Status(callback, StreamIO::CRs232Stream::DescribeOpenError(port, openError));
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

// Opens `name` for the search; null when it cannot be opened, with the
// reason's error number in `error`.
std::unique_ptr<StreamIO::CIoStream> OpenCandidate(const std::u16string& name, uint32_t& error)
{
    error = 0;
    try {
        return StreamIO::OpenStream(name, StreamIO::SF_READ | StreamIO::SF_WRITE);
    } catch (const Platform::CFileException& e) {
        error = e.GetOsError();
    } catch (const std::exception&) {
        error = Platform::ERROR_OPEN_FAILED;
    }
    return nullptr;
}

// The USB part: every instrument interface the system lists, each tried
// once (stop-at-first does not apply).
bool SearchUsb(CCallback& callback, const SSearchParams& params, const std::u16string* requiredSerial)
{
    Status(callback, Platform::LoadString(IDS_STATUS_USB));
    std::vector<std::u16string> paths;
    std::u16string note;
    StreamIO::EnumBulkDevices(paths, &note);
    if (paths.empty() && !note.empty())
        Status(callback, note);
    bool found = false;
    std::unique_ptr<CVnDevice> device;
    for (const std::u16string& path : paths) {
        if (Aborted())
            break;
        if (!device)
            device = CreateDevice(params.deviceType);
        if (!device)
            break;
        uint32_t error = 0;
        std::unique_ptr<StreamIO::CIoStream> stream = OpenCandidate(path, error);
        if (!stream) {
            Status(callback, Platform::LoadString(IDS_STATUS_USB_OPEN_FAILED) + u"\n" + path);
            continue;
        }
        if (TryInstrument(callback, device, std::move(stream), PORT_USB, requiredSerial))
            found = true;
    }
    return found;
}

// The Ethernet part: the instrument port 3728 at the address given, once.
bool SearchEthernet(CCallback& callback, const SSearchParams& params, const std::u16string* requiredSerial)
{
    Status(callback, Platform::LoadString(IDS_STATUS_ETHERNET) + u" " + params.ipAddress);
    std::unique_ptr<CVnDevice> device = CreateDevice(params.deviceType);
    if (!device)
        return false;
    uint32_t error = 0;
    std::unique_ptr<StreamIO::CIoStream> stream =
        OpenCandidate(Platform::FormatU(u"IP:%s:3728", Platform::ToUtf8(params.ipAddress).c_str()), error);
    if (!stream) {
        Status(callback, Platform::LoadString(IDS_STATUS_OPEN_FAILED) + u"\n" +
                             Platform::FromUtf8(Platform::DescribeError(error)));
        return false;
    }
    return TryInstrument(callback, device, std::move(stream), PORT_ETHERNET, requiredSerial);
}

bool SearchPorts(CCallback& callback, const SSearchParams& params, const std::u16string* requiredSerial)
{
    switch (params.portKind) {
    case PORT_SERIAL:
        return SearchSerial(callback, params, requiredSerial);
    case PORT_USB:
        return SearchUsb(callback, params, requiredSerial);
    case PORT_ETHERNET:
        return SearchEthernet(callback, params, requiredSerial);
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
