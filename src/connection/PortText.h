// How the search result lists an instrument: the port text derived from the
// name of the stream it was found on, and the entry of the result list.
#pragma once

#include <string>

namespace Connection {

// A name starting "COM" as it is; "IP:host:port" without its last ":" part;
// the serial device name "\\.\COM3" with that prefix replaced by "COM"; any
// other name gives no port text.  A port text is preceded by "@ ".
std::u16string PortTextOfStream(const std::u16string& streamName);

// The entry of the result list: "Serial number: <serial>    <port text>"
// (the type name is passed to the pattern but not shown).
std::u16string SearchEntryText(const std::u16string& typeName, const std::u16string& serial,
                               const std::u16string& streamName);

} // namespace Connection
