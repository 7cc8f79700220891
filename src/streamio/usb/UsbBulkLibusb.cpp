// SPDX-License-Identifier: GPL-3.0-or-later
// The bulk device of a USB instrument through libusb-1.0: the interface
// named in the device path is claimed; its bulk IN endpoint plays the read
// pipe and its bulk OUT endpoint the write pipe.  Transfers run in slices
// of 100 ms so that Cancel from another thread ends them promptly.
#include "streamio/usb/UsbTransport.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <libusb.h>
#include <vector>

#include "platform/ErrorCodes.h"
#include "streamio/IoStream.h"
#include "streamio/usb/UsbDevicePath.h"

namespace StreamIO {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSliceMs = 100;

uint32_t ErrorOf(int rc)
{
    switch (rc) {
    case LIBUSB_SUCCESS:
        return 0;
    case LIBUSB_ERROR_TIMEOUT:
        return Platform::ERROR_TIMEOUT;
    case LIBUSB_ERROR_NO_DEVICE:
        return Platform::ERROR_DEVICE_NOT_CONNECTED;
    case LIBUSB_ERROR_ACCESS:
        return Platform::ERROR_ACCESS_DENIED;
    case LIBUSB_ERROR_NOT_FOUND:
        return Platform::ERROR_FILE_NOT_FOUND;
    case LIBUSB_ERROR_BUSY:
        return Platform::ERROR_SHARING_VIOLATION;
    case LIBUSB_ERROR_NO_MEM:
        return Platform::ERROR_OUTOFMEMORY;
    case LIBUSB_ERROR_INTERRUPTED:
        return Platform::ERROR_OPERATION_ABORTED;
    case LIBUSB_ERROR_NOT_SUPPORTED:
        return Platform::ERROR_NOT_SUPPORTED;
    case LIBUSB_ERROR_INVALID_PARAM:
        return Platform::ERROR_INVALID_PARAMETER;
    default:
        return Platform::ERROR_GEN_FAILURE;
    }
}

// "bus-port.port...:configuration.interface"
bool ParseInstance(const std::string& instance, int& bus, std::vector<uint8_t>& ports, int& interfaceNumber)
{
    const size_t dash = instance.find('-');
    const size_t colon = instance.find(':');
    if (dash == std::string::npos || colon == std::string::npos || colon < dash)
        return false;
    unsigned b = 0, configuration = 0, iface = 0;
    if (std::sscanf(instance.c_str(), "%u-", &b) != 1 ||
        std::sscanf(instance.c_str() + colon + 1, "%u.%u", &configuration, &iface) != 2)
        return false;
    ports.clear();
    size_t pos = dash + 1;
    while (pos < colon) {
        size_t end = instance.find('.', pos);
        if (end == std::string::npos || end > colon)
            end = colon;
        unsigned port = 0;
        if (std::sscanf(instance.substr(pos, end - pos).c_str(), "%u", &port) != 1 || port > 255)
            return false;
        ports.push_back(static_cast<uint8_t>(port));
        pos = end + 1;
    }
    bus = static_cast<int>(b);
    interfaceNumber = static_cast<int>(iface);
    return !ports.empty() && ports.size() <= 7;
}

class CLibusbBulkDevice : public IUsbBulkDevice {
public:
    ~CLibusbBulkDevice() override { Close(); }

    uint32_t Open(const SUsbDevicePath& path, uint32_t flags)
    {
        int bus = 0, iface = 0;
        std::vector<uint8_t> ports;
        if (!ParseInstance(path.instance, bus, ports, iface))
            return Platform::ERROR_INVALID_NAME;
        int rc = libusb_init(&m_context);
        if (rc != 0) {
            m_context = nullptr;
            return Platform::ERROR_FILE_NOT_FOUND;   // no USB on this computer
        }
        libusb_device** list = nullptr;
        const ssize_t count = libusb_get_device_list(m_context, &list);
        libusb_device* found = nullptr;
        for (ssize_t i = 0; i < count; ++i) {
            uint8_t numbers[8];
            const int depth = libusb_get_port_numbers(list[i], numbers, sizeof numbers);
            if (libusb_get_bus_number(list[i]) == bus && depth == static_cast<int>(ports.size()) &&
                std::equal(ports.begin(), ports.end(), numbers)) {
                found = list[i];
                break;
            }
        }
        rc = found != nullptr ? libusb_open(found, &m_handle) : LIBUSB_ERROR_NOT_FOUND;
        uint32_t error = ErrorOf(rc);
        if (error == 0)
            error = FindEndpoints(found, iface);
        if (list != nullptr)
            libusb_free_device_list(list, 1);
        if (error != 0)
            return error;
        libusb_set_auto_detach_kernel_driver(m_handle, 1);
        rc = libusb_claim_interface(m_handle, iface);
        if (rc != 0)
            return ErrorOf(rc);
        m_interface = iface;
        if (((flags & SF_READ) != 0 && m_in == 0) || ((flags & SF_WRITE) != 0 && m_out == 0))
            return Platform::ERROR_FILE_NOT_FOUND;   // the pipe asked for does not exist
        m_readPipe = (flags & SF_READ) != 0;
        m_writePipe = (flags & SF_WRITE) != 0;
        return 0;
    }

    bool HasReadPipe() const override { return m_readPipe; }
    bool HasWritePipe() const override { return m_writePipe; }

    uint32_t Transfer(bool write, void* data, uint32_t count, int timeoutMs, uint32_t& moved) override
    {
        moved = 0;
        m_cancel = false;
        if (m_handle == nullptr)
            return Platform::ERROR_INVALID_HANDLE;
        const uint8_t endpoint = write ? m_out : m_in;
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        uint8_t* bytes = static_cast<uint8_t*>(data);
        while (moved < count) {
            if (m_cancel)
                return Platform::ERROR_OPERATION_ABORTED;
            int slice = kSliceMs;
            if (timeoutMs >= 0) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
                if (left <= 0)
                    return Platform::ERROR_TIMEOUT;
                slice = static_cast<int>(std::min<long long>(left, kSliceMs));
            }
            int n = 0;
            const int rc = libusb_bulk_transfer(m_handle, endpoint, bytes + moved, static_cast<int>(count - moved), &n,
                                                static_cast<unsigned>(slice));
            moved += static_cast<uint32_t>(std::max(n, 0));
            if (rc == LIBUSB_ERROR_TIMEOUT)
                continue;
            if (rc != 0)
                return ErrorOf(rc);
            if (!write)
                break;   // a short packet ends a read
        }
        return 0;
    }

    uint32_t Cancel() override
    {
        m_cancel = true;
        return 0;
    }

    uint32_t Flush() override { return 0; }   // a bulk OUT transfer completes when the device took it

    uint32_t Close() override
    {
        if (m_handle != nullptr) {
            if (m_interface >= 0)
                libusb_release_interface(m_handle, m_interface);
            libusb_close(m_handle);
        }
        m_handle = nullptr;
        m_interface = -1;
        if (m_context != nullptr)
            libusb_exit(m_context);
        m_context = nullptr;
        return 0;
    }

private:
    uint32_t FindEndpoints(libusb_device* device, int iface)
    {
        libusb_config_descriptor* config = nullptr;
        if (libusb_get_active_config_descriptor(device, &config) != 0)
            return Platform::ERROR_GEN_FAILURE;
        for (int i = 0; i < config->bNumInterfaces; ++i) {
            const libusb_interface& itf = config->interface[i];
            if (itf.num_altsetting < 1 || itf.altsetting[0].bInterfaceNumber != iface)
                continue;
            const libusb_interface_descriptor& alt = itf.altsetting[0];
            for (int e = 0; e < alt.bNumEndpoints; ++e) {
                const libusb_endpoint_descriptor& ep = alt.endpoint[e];
                if ((ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK)
                    continue;
                uint8_t& slot = (ep.bEndpointAddress & LIBUSB_ENDPOINT_IN) != 0 ? m_in : m_out;
                if (slot == 0)
                    slot = ep.bEndpointAddress;
            }
        }
        libusb_free_config_descriptor(config);
        return 0;
    }

    libusb_context* m_context = nullptr;
    libusb_device_handle* m_handle = nullptr;
    int m_interface = -1;
    uint8_t m_in = 0;
    uint8_t m_out = 0;
    bool m_readPipe = false;
    bool m_writePipe = false;
    std::atomic<bool> m_cancel{false};
};

} // namespace

uint32_t OpenLibusbBulkDevice(const std::u16string& path, uint32_t flags, std::unique_ptr<IUsbBulkDevice>& device)
{
    SUsbDevicePath parsed;
    if (!ParseUsbDevicePath(path, parsed) || parsed.hid)
        return Platform::ERROR_FILE_NOT_FOUND;
    auto bulk = std::make_unique<CLibusbBulkDevice>();
    const uint32_t error = bulk->Open(parsed, flags);
    if (error != 0)
        return error;
    device = std::move(bulk);
    return 0;
}

} // namespace StreamIO
