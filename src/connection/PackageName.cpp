// SPDX-License-Identifier: GPL-3.0-or-later
#include "connection/PackageName.h"

#include <string>

namespace Connection {

CVersion PackageVersion(std::u16string_view name, int32_t kind)
{
    if (name.size() < 3 || name.substr(name.size() - 3) != u"lod")
        return CVersion();
    const size_t marker = name.find(u"-V");
    if (marker == std::u16string_view::npos)
        return CVersion();
    std::u16string_view rest = name.substr(marker + 2);
    std::u16string versionText;
    std::u16string_view tag;
    for (;;) {
        const size_t sep = rest.find_first_of(u"._");
        if (sep == std::u16string_view::npos) {
            // Only "lod" may end the name here; anything else is a tag this
            // check does not know.
            if (rest != u"lod")
                return CVersion();
            break;
        }
        const std::u16string_view piece = rest.substr(0, sep);
        bool digits = true;
        for (char16_t c : piece)
            digits = digits && c >= u'0' && c <= u'9';
        if (!digits) {
            tag = piece;
            break;
        }
        versionText += piece;
        versionText += u'.';
        rest.remove_prefix(sep + 1);
    }
    bool accepted = tag.empty();
    if (kind == PACKAGE_KIND_FIRMWARE)
        accepted = accepted || tag == u"FW" || tag == u"APP";
    else if (kind == PACKAGE_KIND_OS)
        accepted = accepted || tag == u"OS";
    if (!accepted)
        return CVersion();
    return CVersion(versionText);
}

} // namespace Connection
