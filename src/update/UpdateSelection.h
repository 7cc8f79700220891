// SPDX-License-Identifier: GPL-3.0-or-later
// What the update checks look for on the download server: the program's
// update folder and account, the version an installer's name carries, and
// the newest installer of a folder listing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Version.h"
#include "update/FtpListing.h"

namespace Update {

// The account of the download server.
constexpr char16_t kUpdateUser[] = u"vncust";
constexpr char16_t kUpdatePassword[] = u"kalvorDRN";

// The running program as the checks see it: the ProductName and the
// ProductVersion of its version record.
struct SProgramIdentity {
    std::u16string productName;
    std::u16string productVersion;   // as the record writes it
    CVersion version;                // parsed from productVersion

    // The program's own record; without one, the name "Brelmora" and the
    // version this program was built as.
    static SProgramIdentity OfThisProgram();
    static SProgramIdentity Make(std::u16string productName, std::u16string productVersion);
};

// "./VnUpgrade/" + the product name + "/".
std::u16string UpdateFolderOf(std::u16string_view productName);

// The version of an installer name "<text>_V_<a>_<b>_<c>_<d>.exe": 0 for
// names shorter than 6 characters, without the exact (case-sensitive)
// ".exe" ending or without "_V_".
CVersion InstallerVersion(std::u16string_view name);

struct SInstallerChoice {
    bool found = false;
    SFtpEntry installer;
    CVersion version;
    // The folder also offers "<installer name>.sha256".
    bool hasChecksum = false;
    SFtpEntry checksum;
};

// The newest installer above `current`, in the listing's order (the first
// of equal versions wins).
SInstallerChoice SelectInstaller(const std::vector<SFtpEntry>& listing, const CVersion& current);

} // namespace Update
