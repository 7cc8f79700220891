// SPDX-License-Identifier: GPL-3.0-or-later
// A HID probe through Linux hidraw: feature reports with HIDIOCGFEATURE and
// HIDIOCSFEATURE, input reports by reading the node, report lengths from the
// report descriptor.  Reports of a device without report ids carry no id
// byte on hidraw; the id 0 is added and removed here, so callers always see
// the id in byte 0 as on Windows.
#include "streamio/usb/UsbTransport.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

#include "platform/ErrorCodes.h"
#include "streamio/usb/HidReportDescriptor.h"
#include "streamio/usb/UsbDevicePath.h"

namespace StreamIO {

namespace {

uint32_t TransferError(int err)
{
    if (err == ENODEV || err == EIO || err == ENXIO)
        return Platform::ERROR_DEVICE_NOT_CONNECTED;
    return Platform::ErrorFromErrno(err);
}

class CHidrawDevice : public IHidDevice {
public:
    ~CHidrawDevice() override { Close(); }

    uint32_t Open(const std::string& node)
    {
        do {
            m_fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        } while (m_fd < 0 && errno == EINTR);
        if (m_fd < 0)
            return Platform::ErrorFromErrno(errno);
        int size = 0;
        hidraw_report_descriptor descriptor{};
        if (::ioctl(m_fd, HIDIOCGRDESCSIZE, &size) != 0 || size < 0 || size > HID_MAX_DESCRIPTOR_SIZE)
            return TransferError(errno);
        descriptor.size = static_cast<uint32_t>(size);
        if (::ioctl(m_fd, HIDIOCGRDESC, &descriptor) != 0)
            return TransferError(errno);
        m_lengths = ParseReportLengths(descriptor.value, descriptor.size);
        return 0;
    }

    uint32_t FeatureLength() const override { return m_lengths.feature; }
    uint32_t InputLength() const override { return m_lengths.input; }

    uint32_t GetFeature(uint8_t* report, uint32_t length) override
    {
        if (m_fd < 0)
            return Platform::ERROR_INVALID_HANDLE;
        report[0] = 0;
        const int rc = ::ioctl(m_fd, HIDIOCGFEATURE(length), report);
        return rc < 0 ? TransferError(errno) : 0;
    }

    uint32_t SetFeature(const uint8_t* report, uint32_t length) override
    {
        if (m_fd < 0)
            return Platform::ERROR_INVALID_HANDLE;
        std::vector<uint8_t> copy(report, report + length);
        const int rc = ::ioctl(m_fd, HIDIOCSFEATURE(length), copy.data());
        return rc < 0 ? TransferError(errno) : 0;
    }

    uint32_t ReadInput(uint8_t* report, uint32_t length, int timeoutMs) override
    {
        if (m_fd < 0)
            return Platform::ERROR_INVALID_HANDLE;
        pollfd p{m_fd, POLLIN, 0};
        int rc;
        do {
            rc = ::poll(&p, 1, timeoutMs);
        } while (rc < 0 && errno == EINTR);
        if (rc == 0)
            return Platform::ERROR_TIMEOUT;
        if (rc < 0)
            return Platform::ErrorFromErrno(errno);
        const size_t skip = m_lengths.reportIds ? 0 : 1;
        std::vector<uint8_t> data(length);
        const ssize_t n = ::read(m_fd, data.data() + skip, length - skip);
        if (n < 0)
            return errno == EAGAIN ? static_cast<uint32_t>(Platform::ERROR_TIMEOUT) : TransferError(errno);
        // Only a whole report counts.
        if (static_cast<size_t>(n) + skip < length)
            return Platform::ERROR_TIMEOUT;
        std::copy(data.begin(), data.end(), report);
        if (skip != 0)
            report[0] = 0;
        return 0;
    }

    uint32_t Close() override
    {
        if (m_fd < 0)
            return 0;
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0 ? 0 : Platform::ErrorFromErrno(errno);
    }

private:
    int m_fd = -1;
    SHidReportLengths m_lengths;
};

} // namespace

uint32_t OpenHidrawDevice(const std::u16string& path, std::shared_ptr<IHidDevice>& device)
{
    SUsbDevicePath parsed;
    if (!ParseUsbDevicePath(path, parsed) || !parsed.hid || parsed.instance.compare(0, 6, "hidraw") != 0)
        return Platform::ERROR_FILE_NOT_FOUND;
    auto hid = std::make_shared<CHidrawDevice>();
    const uint32_t error = hid->Open("/dev/" + parsed.instance);
    if (error != 0)
        return error;
    device = std::move(hid);
    return 0;
}

} // namespace StreamIO
