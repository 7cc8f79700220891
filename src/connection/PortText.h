// SPDX-License-Identifier: GPL-3.0-or-later
// How the search result lists an instrument: the port text of the link it
// was found on, and the entry of the result list.
#pragma once

#include <string>

#include "streamio/LinkSpec.h"

namespace Connection {

// "@ " and the link's port text: "@ COM3", "@ IP:10.0.0.9"; empty for a
// link without port text (USB, or none).
std::u16string PortTextOfLink(const StreamIO::SLinkSpec& link);

// The port text of the link a stream name gives ("\\.\COM3" gives
// "@ COM3"); empty for a name of no instrument link.
std::u16string PortTextOfStream(const std::u16string& streamName);

// The entry of the result list: "Serial number: <serial>    <port text>"
// (the type name is passed to the pattern but not shown).
std::u16string SearchEntryText(const std::u16string& typeName, const std::u16string& serial,
                               const StreamIO::SLinkSpec& link);

} // namespace Connection
