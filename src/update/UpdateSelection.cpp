// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/UpdateSelection.h"

#include "update/FileVersionInfo.h"

namespace Update {

SProgramIdentity SProgramIdentity::Make(std::u16string productName, std::u16string productVersion)
{
    SProgramIdentity id;
    id.productName = std::move(productName);
    id.productVersion = std::move(productVersion);
    id.version = CVersion(id.productVersion);
    return id;
}

SProgramIdentity SProgramIdentity::OfThisProgram()
{
    CFileVersionInfo info;
    std::u16string name, version;
    if (info.Read()) {
        name = info.GetProductName();
        version = info.GetProductVersion();
    }
    if (name.empty())
        name = u"Brelmora";
    if (version.empty())
        version = CVersion(BRELMORA_VERSION_MAJOR, BRELMORA_VERSION_MINOR, BRELMORA_VERSION_PATCH, BRELMORA_VERSION_TWEAK)
                      .Format(4);
    return Make(name, version);
}

std::u16string UpdateFolderOf(std::u16string_view productName)
{
    return u"./VnUpgrade/" + std::u16string(productName) + u"/";
}

CVersion InstallerVersion(std::u16string_view name)
{
    if (name.size() < 6 || name.substr(name.size() - 4) != u".exe")
        return CVersion();
    const size_t marker = name.find(u"_V_");
    if (marker == std::u16string_view::npos)
        return CVersion();
    const size_t begin = marker + 3;
    const size_t dot = name.find(u'.', begin);
    std::u16string text(name.substr(begin, dot == std::u16string_view::npos ? std::u16string_view::npos : dot - begin));
    for (char16_t& c : text)
        if (c == u'_')
            c = u'.';
    return CVersion(text);
}

SInstallerChoice SelectInstaller(const std::vector<SFtpEntry>& listing, const CVersion& current)
{
    SInstallerChoice choice;
    CVersion best = current;
    for (const SFtpEntry& entry : listing) {
        const CVersion v = InstallerVersion(entry.name);
        if (v > best) {
            best = v;
            choice.found = true;
            choice.installer = entry;
            choice.version = v;
        }
    }
    if (!choice.found)
        return choice;
    const std::u16string checksumName = choice.installer.name + u".sha256";
    for (const SFtpEntry& entry : listing) {
        if (entry.name == checksumName) {
            choice.hasChecksum = true;
            choice.checksum = entry;
            break;
        }
    }
    return choice;
}

} // namespace Update
