// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/ArchiveLocation.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include "archive/ArchiveError.h"
#include "archive/ArchiveStrings.h"
#include "platform/Registry.h"
#include "platform/StringTable.h"
#include "platform/Text.h"

namespace Archive {

namespace {

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// True when the URL carries a password: "user:secret@" in its authority or
// a "password=" parameter.
bool HasPassword(const std::string& url)
{
    const size_t start = url.find("://") + 3;
    const size_t end = url.find_first_of("/?", start);
    const std::string authority = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const size_t at = authority.rfind('@');
    if (at != std::string::npos && authority.substr(0, at).find(':') != std::string::npos)
        return true;
    const size_t query = url.find('?');
    if (query == std::string::npos)
        return false;
    const std::string params = Lower(url.substr(query + 1));
    size_t pos = 0;
    while (pos <= params.size()) {
        const size_t amp = params.find('&', pos);
        const std::string param = params.substr(pos, amp == std::string::npos ? std::string::npos : amp - pos);
        if (StartsWith(param, "password="))
            return true;
        if (amp == std::string::npos)
            break;
        pos = amp + 1;
    }
    return false;
}

} // namespace

SArchiveLocation ParseArchiveLocation(const std::u16string& text, const std::u16string& origin)
{
    const std::string utf8 = Platform::ToUtf8(text);
    SArchiveLocation location;
    location.display = text;
    const std::string lower = Lower(utf8);
    if (StartsWith(lower, "postgresql://") || StartsWith(lower, "postgres://")) {
        if (HasPassword(utf8))
            ThrowArchiveError(origin, Platform::LoadString(kPasswordInUrl));
        location.backend = EBackend::Postgres;
        location.conninfo = utf8;
        return location;
    }
    std::string path = utf8;
    if (StartsWith(lower, "sqlite:"))
        path = utf8.substr(7);
    // Another scheme is a typing error, not a file name.
    const size_t scheme = path.find("://");
    if (path.empty() || (scheme != std::string::npos && path.find('/') == scheme + 1) ||
        path.find('\0') != std::string::npos)
        ThrowArchiveError(text.empty() ? origin : text,
                          Platform::FormatU(Platform::LoadString(kBadAddress).c_str(), utf8.c_str()));
    location.path = path;
    location.display = Platform::FromUtf8(path);
    return location;
}

SArchiveLocation DefaultArchiveLocation()
{
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        std::string homeDir = home != nullptr && home[0] == '/' ? home : "";
        if (homeDir.empty()) {
            if (const passwd* pw = ::getpwuid(::geteuid()); pw != nullptr && pw->pw_dir != nullptr)
                homeDir = pw->pw_dir;
        }
        if (homeDir.empty())
            ThrowArchiveError(u"archive.sqlite", Platform::LoadString(kNoHome));
        base = homeDir + "/.local/share";
    }
    SArchiveLocation location;
    location.path = base + "/brelmora/archive.sqlite";
    location.display = Platform::FromUtf8(location.path);
    location.isDefault = true;
    return location;
}

std::u16string ArchiveSetting()
{
    Platform::CRegKey key;
    if (key.Open(kSettingsKey, Platform::CRegKey::Read) != 0)
        return {};
    std::u16string value;
    if (key.QueryString(kArchiveValue, value) != 0)
        return {};
    return value;
}

SArchiveLocation ResolveArchiveLocation(const std::optional<std::u16string>& given)
{
    if (given.has_value())
        return ParseArchiveLocation(*given);
    if (const std::u16string setting = ArchiveSetting(); !setting.empty())
        return ParseArchiveLocation(setting, kArchiveValue);
    return DefaultArchiveLocation();
}

} // namespace Archive
