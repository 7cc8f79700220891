// Classification of stream names: which transport a name asks for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace StreamIO {

enum class StreamKind {
    File,     // anything else: a disk path
    Serial,   // "COM" + 1..3 decimal digits (value 1..256) + ":"
    Ram,      // "RAM:" + file name
    Ip,       // "IP:" + host:port
};

struct StreamNameInfo {
    StreamKind kind = StreamKind::File;
    uint32_t port = 0;      // serial port number (Serial only)
    std::u16string rest;    // text after the prefix (File: the whole name)
};

// Tests the name in the factory's order, prefixes without regard to ASCII
// case: serial, RAM, IP, else a disk path.
StreamNameInfo ClassifyStreamName(std::u16string_view name);

} // namespace StreamIO
