// SPDX-License-Identifier: GPL-3.0-or-later
// The folder listing of an FTP server (the answer to LIST): the plain files
// with their names and sizes.  Unix "ls -l" lines and the DOS-style lines of
// Windows servers are read.  Directories, links, lines that cannot be read
// and names that could not be asked for again (empty, "." or "..", with a
// slash, a backslash or a control character, not UTF-8, longer than 255
// bytes) are skipped, so a strange listing never stops the search.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Update {

struct SFtpEntry {
    std::u16string name;
    std::string rawName;   // the name's bytes as the server sent them
    uint64_t size = 0;
};

constexpr size_t kMaxFtpNameBytes = 255;

// One line without its line end; false when it is not a plain file.
bool ParseListingLine(std::string_view line, SFtpEntry& entry);

// Every plain file of a listing, in the server's order.
std::vector<SFtpEntry> ParseFtpListing(std::string_view listing);

// The server-style pattern match of FindFirstFile: '*' any run, '?' one
// character, letters without regard to case.
bool MatchesPattern(std::u16string_view name, std::u16string_view pattern);

} // namespace Update
