// String-table ids of the status lines a transport's search writes (their
// texts are in resources/strings/en/device.txt with the other lines of the
// device thread's search).
#pragma once

#include <cstdint>

namespace StreamIO {

enum : uint32_t {
    IDS_STATUS_SERIAL = 45030,
    IDS_STATUS_COM_PORT = 45031,
    IDS_STATUS_OPEN_FAILED = 45032,
    IDS_STATUS_USB = 45035,
    IDS_STATUS_USB_OPEN_FAILED = 45036,
    IDS_STATUS_ETHERNET = 45037,
    IDS_STATUS_CONSOLE_SKIPPED = 45080,
};

} // namespace StreamIO
