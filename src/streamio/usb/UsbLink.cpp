// SPDX-License-Identifier: GPL-3.0-or-later
// The USB transport's row: links named by the device interface path, and
// the search over every instrument interface the system lists.
#include <vector>

#include "platform/StringTable.h"
#include "platform/Text.h"
#include "streamio/IoStream.h"
#include "streamio/StreamHooks.h"
#include "streamio/Transports.h"
#include "streamio/usb/UsbEnumeration.h"

namespace StreamIO {

namespace {

// Status lines of the search: "USB", "could not open USB device."
constexpr uint32_t kStatusUsb = 45035;
constexpr uint32_t kStatusUsbOpenFailed = 45036;

bool ParseUsb(std::u16string_view text, SLinkSpec& link)
{
    if (!Platform::StartsWithNoCase(text, kUsbPathPrefix) || text.size() == kUsbPathPrefix.size())
        return false;
    link = SLinkSpec::Usb(std::u16string(text));
    return true;
}

std::u16string UsbPath(const SLinkSpec& link)
{
    return link.usbPath;
}

// A device path says nothing to a user: the result list shows no port.
std::u16string UsbPortText(const SLinkSpec&)
{
    return std::u16string();
}

std::unique_ptr<CIoStream> OpenUsb(const SLinkSpec& link, uint32_t flags, const SerialSettings*)
{
    return CreateUsbStream(link.usbPath, flags);
}

// Every interface is tried once (stop-at-first does not apply).
bool SearchUsb(ILinkSearch& search)
{
    search.Status(Platform::LoadString(kStatusUsb));
    std::vector<std::u16string> paths;
    std::u16string note;
    EnumBulkDevices(paths, &note);
    if (paths.empty() && !note.empty())
        search.Status(note);
    bool found = false;
    for (const std::u16string& path : paths) {
        if (search.Aborted() || !search.Ready())
            break;
        uint32_t error = 0;
        const ILinkSearch::ETry result = search.Try(SLinkSpec::Usb(path), error);
        if (result == ILinkSearch::ETry::OpenFailed)
            search.Status(Platform::LoadString(kStatusUsbOpenFailed) + u"\n" + path);
        else if (result == ILinkSearch::ETry::Found)
            found = true;
    }
    return found;
}

} // namespace

// The transport's name in the connection wizard's list of kinds.
constexpr uint32_t kKindName = 50002;

extern const STransport kUsbTransport = {
    ELinkKind::Usb, "USB", ParseUsb, UsbPath, UsbPath, UsbPortText, OpenUsb, SearchUsb,
    kKindName,
    ELinkAddress::None,
};

} // namespace StreamIO
