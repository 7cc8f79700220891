// How the search result lists an instrument: the port text derived from the
// name of the stream it was found on, and the list line.
#pragma once

#include <string>

namespace Cli {

// "COM3" for "COM3..." as it is, the serial device name "\\.\COM3" as
// "COM3", "IP:host:port" without its last ":" part; other names give no
// port text.  A port text is preceded by "@ ".
std::u16string PortTextOfStream(const std::u16string& streamName);

// The list line: "Serial number: <serial>    <port text>" (the type name is
// passed to the pattern but not shown).
std::u16string SearchListLine(const std::u16string& typeName, const std::u16string& serial,
                              const std::u16string& streamName);

} // namespace Cli
