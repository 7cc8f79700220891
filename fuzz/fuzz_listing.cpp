// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: folder listings of FTP servers.  Whatever a server sends,
// the parser returns only names that can be asked for again, and the
// installer choice and the package rule take them without trouble.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "connection/PackageName.h"
#include "update/FtpListing.h"
#include "update/UpdateSelection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<Update::SFtpEntry> entries = Update::ParseFtpListing(text);
    for (const Update::SFtpEntry& e : entries) {
        if (e.rawName.empty() || e.rawName.size() > Update::kMaxFtpNameBytes || e.rawName == "." ||
            e.rawName == ".." || e.size > (uint64_t{1} << 53))
            __builtin_trap();
        for (char c : e.rawName)
            if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20)
                __builtin_trap();
        Update::MatchesPattern(e.name, u"*.lod");
        Connection::PackageVersion(e.name, 1);
        Connection::PackageVersion(e.name, 2);
    }
    const Update::SInstallerChoice choice = Update::SelectInstaller(entries, CVersion(1, 8, 1, 0));
    if (choice.found && !(choice.version > CVersion(1, 8, 1, 0)))
        __builtin_trap();
    return 0;
}
