// SPDX-License-Identifier: GPL-3.0-or-later
// The download server of the update checks: the REG_SZ value "UpdateServer"
// under "Software\Vantor\Brelmora\Settings" when it is set, else the server
// built into the program.  Written as "ftp://host[:port]" or "host[:port]"
// (an IPv6 address in brackets).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Update {

struct SFtpServer {
    std::u16string text;     // as configured
    std::string host;        // for URLs; an IPv6 address keeps its brackets
    uint16_t port = 21;
    bool valid = false;      // the text names a server

    // Hosts under the reserved ".example" domain stand for no real server;
    // they are never looked up.
    bool IsPlaceholder() const;
    // "ftp://host:port/" followed by `path` (already escaped).
    std::string Url(std::string_view path = std::string_view()) const;
    // The server as messages name it: "host" or "host:port".
    std::u16string Display() const;
};

// Reads a server text; `valid` is false for another scheme, a user name,
// a path, a bad host or a port outside 1..65535.
SFtpServer ParseFtpServer(std::u16string_view text);

// The server built into the program (a CMake cache setting).
SFtpServer BuiltInUpdateServer();

// "UpdateServer" when it holds a text (even one that does not parse: the
// link then reports the bad setting), else the built-in server.
SFtpServer CurrentUpdateServer();

} // namespace Update
